#include "selection/ArchiveKind.h"

#include <algorithm>
#include <string_view>

namespace {

struct ExtensionKind {
    std::wstring_view Extension;
    ArchiveKind Kind;
};

// Every extension appears once, so the order of the rows does not matter.
constexpr ExtensionKind ExtensionTable[] = {
    {L".zip", 0},    {L".cbz", 0},    {L".z01", 0},
    {L".kesx", 1},
    {L".kes", 2},
    {L".sea", 5},
    {L".tar", 6},    {L".cbt", 6},    {L".gtar", 6},  {L".gnutar", 6}, {L".ustar", 6}, {L".tlzma", 6},
    {L".tgz", 7},
    {L".tbz2", 8},   {L".tbz", 8},
    {L".tz", 9},
    {L".7z", 10},
    {L".lzma", 11},
    {L".rar", 20},   {L".cbr", 20},   {L".001", 20},
    {L".z", 21},
    {L".gz", 23},
    {L".bz2", 25},
    {L".lha", 27},
    {L".lzh", 28},
    {L".cab", 29},
    {L".as", 40},
    {L".arc", 41},
    {L".arj", 42},
    {L".b64", 43},
    {L".hqx", 44},
    {L".bin", 45},
    {L".mime", 48},  {L".mim", 48},   {L".mme", 48},
    {L".pf", 52},
    {L".uue", 56},   {L".uu", 56},
    {L".yenc", 59},  {L".ync", 59},   {L".ntx", 59},
    {L".kedx", 69},
};

constexpr ArchiveKind VerifiableKinds[] = {0, 1, 2, 6, 7, 8, 9};
constexpr ArchiveKind ConvertibleKinds[] = {0, 1, 2, 6, 7, 8, 9, 20};
constexpr ArchiveKind ZipOrKesKinds[] = {0, 1, 2};

// The table is all ASCII, so only ASCII letters are folded.
constexpr wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

constexpr bool EqualsIgnoringAsciiCase(std::wstring_view text, std::wstring_view lowerCase) {
    return text.size() == lowerCase.size() &&
           std::equal(text.begin(), text.end(), lowerCase.begin(),
                      [](wchar_t a, wchar_t b) { return FoldAscii(a) == b; });
}

template <size_t N>
constexpr bool Contains(const ArchiveKind (&set)[N], ArchiveKind kind) {
    return std::find(std::begin(set), std::end(set), kind) != std::end(set);
}

}  // namespace

ArchiveKind ArchiveKindOfExtension(const wchar_t* extension) {
    if (!extension) return NotAnArchive;
    const std::wstring_view text(extension);
    for (const ExtensionKind& row : ExtensionTable) {
        if (EqualsIgnoringAsciiCase(text, row.Extension)) return row.Kind;
    }
    return NotAnArchive;
}

bool IsVerifiableKind(ArchiveKind kind) { return Contains(VerifiableKinds, kind); }
bool IsConvertibleKind(ArchiveKind kind) { return Contains(ConvertibleKinds, kind); }
bool IsZipOrKesKind(ArchiveKind kind) { return Contains(ZipOrKesKinds, kind); }
