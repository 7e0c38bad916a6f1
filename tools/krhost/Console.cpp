#include "Console.h"

#include <windows.h>

namespace {
void Write(DWORD which, const std::wstring& text) {
    std::string bytes = Console::ToUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
}  // namespace

std::string Console::ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void Console::Out(const std::wstring& text) { Write(STD_OUTPUT_HANDLE, text); }
void Console::Err(const std::wstring& text) { Write(STD_ERROR_HANDLE, text); }
