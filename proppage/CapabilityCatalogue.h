#pragma once
#include <windows.h>

#include <span>
#include <string_view>

// What an archive's format can do, judged by its file name: up to two blocks of string
// ids (a heading, then its capability lines).
struct CapabilityBlocks {
    std::span<const UINT> ByLastExtension;  // empty when the last extension is unknown
    std::span<const UINT> ByTwoPartName;    // empty when the two-part extension is unknown
};

CapabilityBlocks CapabilityBlocksFor(std::wstring_view path);

// Appends the lines of both blocks, in that order, to a list box; nothing is cleared first.
void FillCapabilityList(HWND listBox, std::wstring_view path);
