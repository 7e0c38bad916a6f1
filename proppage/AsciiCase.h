#pragma once
#include <algorithm>
#include <string_view>

// Extensions and ProgIDs are ASCII: only ASCII letters are folded, on both sides.
constexpr wchar_t FoldAsciiCase(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAsciiCase(x) == FoldAsciiCase(y); });
}
