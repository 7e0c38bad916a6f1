#include "proppage/CapabilityCatalogue.h"

#include "com/ModuleInstance.h"
#include "proppage/AsciiCase.h"
#include "resources/resource.h"
#include "support/UiResource.h"

namespace {

// Each block: its heading's string id, then its lines' ids, in list order.
constexpr UINT Kesx[] = {IDS_CAPS_KESX, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED, IDS_CAP_COMPRESSION_METHODS,
                         IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION, IDS_CAP_EXTRACTION, IDS_CAP_BROWSING,
                         IDS_CAP_ADD_AND_DELETE, IDS_CAP_ITEM_ENCRYPTION, IDS_CAP_ARCHIVE_ENCRYPTION,
                         IDS_CAP_ENCRYPTION_METHODS, IDS_CAP_SELF_EXTRACTING, IDS_CAP_COMMENT, IDS_CAP_SEGMENTABLE,
                         IDS_CAP_INDEX_ARCHIVE, IDS_CAP_COMPRESS_JPG, IDS_CAP_JPG_THUMBNAILS};
constexpr UINT Kes[] = {IDS_CAPS_KES, IDS_CAP_OBSOLETE_KES, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS,
                        IDS_CAP_EXPANSION, IDS_CAP_EXTRACTION, IDS_CAP_BROWSING, IDS_CAP_ADD_AND_DELETE,
                        IDS_CAP_ITEM_ENCRYPTION, IDS_CAP_ENCRYPTION_METHODS, IDS_CAP_CONVERTIBLE};
constexpr UINT Zip[] = {IDS_CAPS_ZIP, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED, IDS_CAP_COMPRESSION_METHODS,
                        IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION, IDS_CAP_EXTRACTION, IDS_CAP_BROWSING,
                        IDS_CAP_ADD_AND_DELETE, IDS_CAP_ITEM_ENCRYPTION, IDS_CAP_ENCRYPTION_METHODS,
                        IDS_CAP_SELF_EXTRACTING, IDS_CAP_CONVERTIBLE};
constexpr UINT Rar[] = {IDS_CAPS_RAR, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION,
                        IDS_CAP_CONVERTIBLE};
constexpr UINT Tar[] = {IDS_CAPS_TAR, IDS_CAP_CREATE_WITH_APP, IDS_CAP_ARCHIVED, IDS_CAP_FILES_AND_FOLDERS,
                        IDS_CAP_BROWSING, IDS_CAP_EXPANSION, IDS_CAP_CONVERTIBLE};
constexpr UINT UnixCompress[] = {IDS_CAPS_UNIX_COMPRESS, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED,
                                 IDS_CAP_SINGLE_FILE, IDS_CAP_EXPANSION};
constexpr UINT GZip[] = {IDS_CAPS_GZIP, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED, IDS_CAP_SINGLE_FILE,
                         IDS_CAP_EXPANSION};
constexpr UINT BZip2[] = {IDS_CAPS_BZIP2, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED, IDS_CAP_SINGLE_FILE,
                          IDS_CAP_EXPANSION};
constexpr UINT Lzma[] = {IDS_CAPS_LZMA, IDS_CAP_COMPRESSED, IDS_CAP_SINGLE_FILE, IDS_CAP_EXPANSION};
constexpr UINT LzmaTar[] = {IDS_CAPS_LZMA_TAR, IDS_CAP_COMPRESSED, IDS_CAP_SINGLE_FILE, IDS_CAP_EXPANSION};
constexpr UINT UnixCompressedTar[] = {IDS_CAPS_UNIX_COMPRESSED_TAR, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED,
                                      IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_BROWSING, IDS_CAP_EXPANSION,
                                      IDS_CAP_EXTRACTION, IDS_CAP_ADD_AND_DELETE, IDS_CAP_CONVERTIBLE};
constexpr UINT GZipTar[] = {IDS_CAPS_GZIP_TAR, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED,
                            IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_BROWSING, IDS_CAP_EXPANSION, IDS_CAP_EXTRACTION,
                            IDS_CAP_ADD_AND_DELETE, IDS_CAP_CONVERTIBLE};
constexpr UINT BZip2Tar[] = {IDS_CAPS_BZIP2_TAR, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED,
                             IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_BROWSING, IDS_CAP_EXPANSION, IDS_CAP_EXTRACTION,
                             IDS_CAP_ADD_AND_DELETE, IDS_CAP_CONVERTIBLE};
constexpr UINT SevenZip[] = {IDS_CAPS_7ZIP, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};
constexpr UINT Arc[] = {IDS_CAPS_ARC, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};
constexpr UINT Arj[] = {IDS_CAPS_ARJ, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};
constexpr UINT CompactPro[] = {IDS_CAPS_COMPACT_PRO, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};
constexpr UINT Cab[] = {IDS_CAPS_CAB, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};
constexpr UINT LhaCreatable[] = {IDS_CAPS_LHA, IDS_CAP_CREATE_WITH_APP, IDS_CAP_COMPRESSED,
                                 IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};  // .lha
constexpr UINT Lha[] = {IDS_CAPS_LHA, IDS_CAP_COMPRESSED, IDS_CAP_FILES_AND_FOLDERS, IDS_CAP_EXPANSION};  // .lzh
constexpr UINT Sco[] = {IDS_CAPS_SCO, IDS_CAP_COMPRESSED, IDS_CAP_SINGLE_FILE, IDS_CAP_EXPANSION};
constexpr UINT AppleSingle[] = {IDS_CAPS_APPLE_SINGLE, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT B64[] = {IDS_CAPS_B64, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT Hqz[] = {IDS_CAPS_HQZ, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT BtoA[] = {IDS_CAPS_BTOA, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT Mime[] = {IDS_CAPS_MIME, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT UuEncoded[] = {IDS_CAPS_UU_ENCODED, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};
constexpr UINT YEncoded[] = {IDS_CAPS_Y_ENCODED, IDS_CAP_DECODE, IDS_CAP_SINGLE_FILE, IDS_CAP_ENCODED};

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
            LoadUiString(ModuleInstance(), id, line, StringCapacity);
            SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        }
    }
}
