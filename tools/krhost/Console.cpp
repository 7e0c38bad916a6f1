#include "Console.h"

#include <windows.h>

namespace {
void Write(DWORD which, const std::wstring& text) {
    std::string bytes = Console::ToUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Terminal columns of one UTF-16 unit: CJK, Hangul and full-width forms take two; the low half
// of a surrogate pair takes none (its pair is outside the basic plane, where such characters
// are wide too).
size_t ColumnsOf(wchar_t unit) {
    const struct {
        wchar_t First, Last;
        size_t Columns;
    } ranges[] = {{0x1100, 0x115F, 2}, {0x2E80, 0xA4CF, 2}, {0xAC00, 0xD7A3, 2}, {0xD800, 0xDBFF, 2},
                  {0xDC00, 0xDFFF, 0}, {0xF900, 0xFAFF, 2}, {0xFE30, 0xFE4F, 2}, {0xFF00, 0xFF60, 2}, {0xFFE0, 0xFFE6, 2}};
    for (const auto& range : ranges)
        if (unit >= range.First && unit <= range.Last) return range.Columns;
    return 1;
}
}  // namespace

std::wstring Console::Pad(std::wstring text, size_t columns) {
    size_t used = 0;
    for (wchar_t unit : text) used += ColumnsOf(unit);
    if (used < columns) text.append(columns - used, L' ');
    return text + L"  ";
}

std::string Console::ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void Console::Out(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }
void Console::Err(const std::wstring& text) { Write(STD_ERROR_HANDLE, text); }
