#include "support/CIniFile.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

// Lines are read as fgetws into a 1,024-character buffer would hand them over.
constexpr size_t LinePieceLength = 1023;

std::optional<std::string> ReadAllBytes(const std::wstring& path) {
    UniqueFile file(_wfopen(path.c_str(), L"rb"));
    if (!file) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    size_t count;
    while ((count = fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, count);
    return bytes;
}

bool StartsWith(const std::string& bytes, std::string_view prefix) {
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

// The UTF-8 mark selects UTF-8; anything else is UTF-16LE, with or without its mark.
// A trailing odd byte cannot form a character and is dropped.
std::wstring DecodeText(const std::string& bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        const int length = static_cast<int>(std::min<size_t>(bytes.size() - 3, INT_MAX));
        std::wstring text(length ? MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, length, nullptr, 0) : 0,
                          L'\0');
        if (!text.empty()) MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, length, text.data(), static_cast<int>(text.size()));
        return text;
    }
    const size_t start = StartsWith(bytes, "\xFF\xFE") ? 2 : 0;
    std::wstring text((bytes.size() - start) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto low = static_cast<unsigned char>(bytes[start + 2 * i]);
        const auto high = static_cast<unsigned char>(bytes[start + 2 * i + 1]);
        text[i] = static_cast<wchar_t>(low | (high << 8));
    }
    return text;
}

// Text mode reading: a CR LF pair arrives as a single LF; a lone CR stays.
void CollapseLineEnds(std::wstring& text) {
    size_t out = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        text[out++] = text[i];
    }
    text.resize(out);
}

// UTF-16LE with its mark; text mode writing turns every LF into CR LF.
std::string EncodeText(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    auto put = [&bytes](wchar_t c) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    };
    for (wchar_t c : text) {
        if (c == L'\n') put(L'\r');
        put(c);
    }
    return bytes;
}

const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }

}  // namespace

CIniFile::CIniFile() = default;

CIniFile::CIniFile(const wchar_t* path) { Load(path); }

CIniFile::~CIniFile() = default;

bool CIniFile::Load(const wchar_t* path) {
    FilePath = OrEmpty(path);
    const auto bytes = ReadAllBytes(FilePath);
    if (!bytes) return true;
    std::wstring text = DecodeText(*bytes);
    CollapseLineEnds(text);

    IniSection* current = nullptr;
    for (size_t pos = 0; pos < text.size();) {
        const auto limit = text.begin() + static_cast<ptrdiff_t>(std::min(text.size(), pos + LinePieceLength));
        const auto lineFeed = std::find(text.begin() + static_cast<ptrdiff_t>(pos), limit, L'\n');
        const size_t end = lineFeed == limit ? static_cast<size_t>(limit - text.begin())
                                             : static_cast<size_t>(lineFeed - text.begin()) + 1;
        std::wstring_view line(text.data() + pos, end - pos);
        pos = end;
        // The runtime hands each line over as a C string: an embedded NUL ends its text.
        line = line.substr(0, line.find(L'\0'));
        ParseLine(line, current);
    }
    return true;
}

void CIniFile::ParseLine(std::wstring_view line, IniSection*& current) {
    if (!line.empty() && line[0] == L'[') {
        const size_t close = line.rfind(L']');
        auto section = std::make_unique<IniSection>();
        section->Name = line.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1);
        current = section.get();
        SectionList.push_back(std::move(section));
        return;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos || !current) return;
    std::wstring_view value = line.substr(equals + 1);
    if (!value.empty() && value.back() == L'\n') value.remove_suffix(1);
    current->Append(std::wstring(line.substr(0, equals)), std::wstring(value));
}

void CIniFile::Save() {
    if (!Modified) return;
    std::wstring text;
    for (const auto& section : SectionList) {
        text += L'[' + section->Name + L"]\n";
        for (const auto& entry : section->Entries) text += entry.Key + L'=' + entry.Value + L'\n';
    }
    const std::string bytes = EncodeText(text);
    UniqueFile file(_wfopen(FilePath.c_str(), L"wb"));
    if (file) fwrite(bytes.data(), 1, bytes.size(), file.get());
}

IniSection& CIniFile::GetSection(const wchar_t* name) {
    const std::wstring_view wanted = OrEmpty(name);
    for (const auto& section : SectionList)
        if (section->Name == wanted) return *section;
    auto section = std::make_unique<IniSection>();
    section->Name = wanted;
    SectionList.push_back(std::move(section));
    return *SectionList.back();
}

bool CIniFile::SetString(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    IniSection& target = GetSection(section);
    if (IniEntry* entry = target.FindLast(OrEmpty(key)))
        entry->Value = OrEmpty(value);
    else
        target.Append(OrEmpty(key), OrEmpty(value));
    Modified = true;
    return true;
}

bool CIniFile::SetInt(const wchar_t* section, const wchar_t* key, int32_t value) {
    return SetString(section, key, std::to_wstring(value).c_str());
}

bool CIniFile::GetString(const wchar_t* section, const wchar_t* key, wchar_t* out, size_t capacity) {
    const IniEntry* entry = GetSection(section).FindLast(OrEmpty(key));
    if (!entry || !out || entry->Value.size() >= capacity) return false;
    std::copy(entry->Value.begin(), entry->Value.end(), out);
    out[entry->Value.size()] = L'\0';
    return true;
}

const wchar_t* CIniFile::FirstKey(const wchar_t* section) {
    KeyCursorSection = &GetSection(section);
    KeyCursor = 0;
    return NextKey();
}

const wchar_t* CIniFile::NextKey() {
    if (!KeyCursorSection || KeyCursor >= KeyCursorSection->Entries.size()) return nullptr;
    return KeyCursorSection->Entries[KeyCursor++].Key.c_str();
}
