#include "LaunchReport.h"

#include <windows.h>

#include "Console.h"

namespace {

// UTF-16 with its byte-order mark (request files), else the narrow code page (list files).
std::wstring Decode(const std::string& bytes, std::wstring* encoding) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        *encoding = L"UTF-16LE with BOM";
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    }
    *encoding = L"narrow text";
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

void PrintLines(const std::wstring& text) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        Console::Out(L"   " + line + L"\n");
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
}

}  // namespace

void LaunchReport::Print(const std::vector<StandinRecord>& records) {
    if (records.empty()) {
        Console::Out(L"Nothing was started.\n");
        return;
    }
    for (const StandinRecord& record : records) {
        Console::Out(L"Started " + record.Program + L":\n   " + record.CommandLine + L"\n");
        if (record.InputBytes.empty()) continue;
        std::wstring encoding;
        const std::wstring text = Decode(record.InputBytes, &encoding);
        Console::Out(L"The file it was handed (" + std::to_wstring(record.InputBytes.size()) + L" bytes, " + encoding +
                     L"):\n");
        PrintLines(text);
    }
}
