#include "proppage/CapabilityCatalogue.h"

#include "module/CKrShellExtModule.h"
#include "proppage/AsciiCase.h"

namespace {

// Each block: its heading's string id, then its lines' ids, in list order.
constexpr UINT Kesx[] = {154, 175, 153, 168, 156, 157, 158, 159, 160, 161, 162, 169, 163, 164, 165, 199, 173, 174};
constexpr UINT Kes[] = {171, 170, 153, 156, 157, 158, 159, 160, 161, 169, 172};
constexpr UINT Zip[] = {155, 175, 153, 168, 156, 157, 158, 159, 160, 161, 169, 163, 172};
constexpr UINT Rar[] = {176, 153, 156, 157, 172};
constexpr UINT Tar[] = {178, 175, 177, 156, 159, 157, 172};
constexpr UINT UnixCompress[] = {179, 175, 153, 166, 157};
constexpr UINT GZip[] = {180, 175, 153, 166, 157};
constexpr UINT BZip2[] = {181, 175, 153, 166, 157};
constexpr UINT Lzma[] = {207, 153, 166, 157};
constexpr UINT LzmaTar[] = {209, 153, 166, 157};
constexpr UINT UnixCompressedTar[] = {182, 175, 153, 156, 159, 157, 158, 160, 172};
constexpr UINT GZipTar[] = {183, 175, 153, 156, 159, 157, 158, 160, 172};
constexpr UINT BZip2Tar[] = {184, 175, 153, 156, 159, 157, 158, 160, 172};
constexpr UINT SevenZip[] = {208, 153, 156, 157};
constexpr UINT Arc[] = {187, 153, 156, 157};
constexpr UINT Arj[] = {188, 153, 156, 157};
constexpr UINT CompactPro[] = {193, 153, 156, 157};
constexpr UINT Cab[] = {196, 153, 156, 157};
constexpr UINT LhaCreatable[] = {198, 175, 153, 156, 157};  // .lha
constexpr UINT Lha[] = {198, 153, 156, 157};                // .lzh
constexpr UINT Sco[] = {197, 153, 166, 157};
constexpr UINT AppleSingle[] = {185, 186, 166, 167};
constexpr UINT B64[] = {189, 186, 166, 167};
constexpr UINT Hqz[] = {190, 186, 166, 167};
constexpr UINT BtoA[] = {191, 186, 166, 167};
constexpr UINT Mime[] = {192, 186, 166, 167};
constexpr UINT UuEncoded[] = {194, 186, 166, 167};
constexpr UINT YEncoded[] = {195, 186, 166, 167};

struct ExtensionBlock {
    std::wstring_view Extension;
    std::span<const UINT> Block;
};

// Each extension occurs once per table, so the order of the rows does not matter.
constexpr ExtensionBlock LastExtensions[] = {
    {L".kesx", Kesx},   {L".kedx", Kesx},
    {L".kes", Kes},
    {L".zip", Zip},     {L".cbz", Zip},     {L".z01", Zip},
    {L".rar", Rar},     {L".cbr", Rar},     {L".001", Rar},
    {L".7z", SevenZip},
    {L".lzma", Lzma},
    {L".tlzma", LzmaTar},
    {L".tar", Tar},     {L".cbt", Tar},     {L".gtar", Tar},  {L".gnutar", Tar}, {L".ustar", Tar},
    {L".z", UnixCompress},
    {L".tz", UnixCompressedTar},
    {L".gz", GZip},
    {L".tgz", GZipTar},
    {L".bz2", BZip2},
    {L".tbz2", BZip2Tar}, {L".tbz", BZip2Tar},
    {L".as", AppleSingle},
    {L".arc", Arc},
    {L".arj", Arj},
    {L".b64", B64},
    {L".hqx", Hqz},
    {L".btoa", BtoA},
    {L".lha", LhaCreatable},
    {L".lzh", Lha},
    {L".mime", Mime},   {L".mim", Mime},    {L".mme", Mime},
    {L".sco", Sco},
    {L".cpt", CompactPro},
    {L".uue", UuEncoded}, {L".uu", UuEncoded},
    {L".cab", Cab},
    {L".ync", YEncoded}, {L".yenc", YEncoded}, {L".ntx", YEncoded},
};

constexpr ExtensionBlock TwoPartExtensions[] = {
    {L".tar.z", UnixCompressedTar},
    {L".tar.gz", GZipTar},
    {L".tar.bz2", BZip2Tar},
    {L".zip.uu", Zip},   {L".zip.uue", Zip},
    {L".kes.bin", Kes},  {L".kes.hqx", Kes},
    {L".kesx.bin", Kesx}, {L".kesx.hqx", Kesx},
};

template <size_t N>
constexpr std::span<const UINT> BlockOf(const ExtensionBlock (&table)[N], std::wstring_view extension) {
    for (const ExtensionBlock& row : table)
        if (EqualsIgnoringAsciiCase(extension, row.Extension)) return row.Block;
    return {};
}

constexpr size_t StringCapacity = 256;

}  // namespace

CapabilityBlocks CapabilityBlocksFor(std::wstring_view path) {
    CapabilityBlocks blocks;
    const size_t last = path.rfind(L'.');
    if (last == std::wstring_view::npos) return blocks;
    blocks.ByLastExtension = BlockOf(LastExtensions, path.substr(last));
    // The earlier '.' may lie in a folder name; such a "two-part extension" matches nothing.
    const size_t earlier = last == 0 ? std::wstring_view::npos : path.rfind(L'.', last - 1);
    if (earlier != std::wstring_view::npos) blocks.ByTwoPartName = BlockOf(TwoPartExtensions, path.substr(earlier));
    return blocks;
}

void FillCapabilityList(HWND listBox, std::wstring_view path) {
    const CapabilityBlocks blocks = CapabilityBlocksFor(path);
    for (std::span<const UINT> block : {blocks.ByLastExtension, blocks.ByTwoPartName}) {
        for (const UINT id : block) {
            wchar_t line[StringCapacity] = {};
            LoadStringW(ModuleInstance(), id, line, StringCapacity);
            SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        }
    }
}
