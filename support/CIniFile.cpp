#include "support/CIniFile.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>

#include "support/UniqueFile.h"

namespace {

// Lines are read as fgetws into a 1,024-character buffer would hand over their first piece.
constexpr size_t LinePieceLength = 1023;

// The UTF-8 mark selects UTF-8; anything else is UTF-16LE, with or without its mark.
std::wstring FromUtf8(const char* bytes, size_t count) {
    const int length = static_cast<int>(std::min<size_t>(count, INT_MAX));
    std::wstring text(length ? MultiByteToWideChar(CP_UTF8, 0, bytes, length, nullptr, 0) : 0, L'\0');
    if (!text.empty()) MultiByteToWideChar(CP_UTF8, 0, bytes, length, text.data(), static_cast<int>(text.size()));
    return text;
}

// The file's text, read in one pass straight into the characters' storage (Windows is
// little-endian, so UTF-16LE needs no conversion). Others may go on writing it meanwhile.
// A trailing odd byte cannot form a character and is dropped.
std::optional<std::wstring> ReadText(const std::wstring& path, uint64_t sizeLimit) {
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const UniqueFileHandle file(opened);
    constexpr size_t ReadSize = 1 << 20;
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(file.Get(), &size) != FALSE;
    if (sized && static_cast<uint64_t>(size.QuadPart) > sizeLimit) return std::nullopt;
    const size_t expected = sized && size.QuadPart > 0
                                ? static_cast<size_t>(std::min<LONGLONG>(size.QuadPart, LONGLONG{1} << 40))
                                : 0;
    // Room for the size the file has now; only a file that grows meanwhile makes it grow (a
    // catalogue of a few hundred bytes is read at every right-click: no megabyte for it).
    std::wstring units;
    units.resize(expected / 2 + 1);
    size_t bytes = 0;
    for (;;) {
        if (units.size() * 2 - bytes < 2) units.resize(units.size() + units.size() / 2 + 1);
        const auto room = static_cast<DWORD>(std::min(units.size() * 2 - bytes, ReadSize));
        DWORD count = 0;
        if (!ReadFile(file.Get(), reinterpret_cast<char*>(units.data()) + bytes, room, &count, nullptr) || count == 0)
            break;
        bytes += count;
        if (bytes > sizeLimit) return std::nullopt;  // it grew past the limit meanwhile
    }
    const auto* raw = reinterpret_cast<const unsigned char*>(units.data());
    if (bytes >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF)
        return FromUtf8(reinterpret_cast<const char*>(raw) + 3, bytes - 3);
    units.resize(bytes / 2);
    if (!units.empty() && units[0] == 0xFEFF) units.erase(0, 1);
    return units;
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

bool CIniFile::Load(const wchar_t* path) { return Load(path, UINT64_MAX); }

bool CIniFile::Load(const wchar_t* path, uint64_t sizeLimit) {
    FilePath = OrEmpty(path);
    std::optional<std::wstring> read = ReadText(FilePath, sizeLimit);
    if (!read) return true;
    std::wstring& text = *read;
    CollapseLineEnds(text);

    IniSection* current = nullptr;
    for (size_t pos = 0; pos < text.size();) {
        const auto limit = text.begin() + static_cast<ptrdiff_t>(std::min(text.size(), pos + LinePieceLength));
        const auto lineFeed = std::find(text.begin() + static_cast<ptrdiff_t>(pos), limit, L'\n');
        const size_t end = lineFeed == limit ? static_cast<size_t>(limit - text.begin())
                                             : static_cast<size_t>(lineFeed - text.begin()) + 1;
        std::wstring_view line(text.data() + pos, end - pos);
        pos = end;
        // The rest of an overlong line is skipped to its end: its tail is never an entry.
        if (lineFeed == limit && pos < text.size()) {
            const size_t next = text.find(L'\n', pos);
            pos = next == std::wstring::npos ? text.size() : next + 1;
        }
        // The runtime hands each line over as a C string: an embedded NUL ends its text.
        line = line.substr(0, line.find(L'\0'));
        ParseLine(line, current);
    }
    return true;
}

void CIniFile::ParseLine(std::wstring_view line, IniSection*& current) {
    if (!line.empty() && line[0] == L'[') {
        const size_t close = line.rfind(L']');
        current = &AppendSection(line.substr(1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
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
    const HANDLE file = CreateFileW(FilePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) Save(UniqueFileHandle(file).Get());
}

bool CIniFile::Save(void* file) {
    if (!Modified) return true;
    std::wstring text;
    for (const auto& section : SectionList) {
        text += L'[' + section->Name + L"]\n";
        for (const auto& entry : section->Entries) text += entry.Key + L'=' + entry.Value + L'\n';
    }
    return WriteAll(file, EncodeText(text));
}

IniSection& CIniFile::AppendSection(std::wstring_view name) {
    auto section = std::make_unique<IniSection>();
    section->Name = name;
    SectionList.push_back(std::move(section));
    return *SectionList.back();
}

// A name's first section never changes (sections are only appended), so each name is
// searched for once and remembered; a file that is only parsed pays nothing for it.
IniSection& CIniFile::GetSection(const wchar_t* name) {
    const std::wstring wanted = OrEmpty(name);
    if (const auto found = FirstSections.find(wanted); found != FirstSections.end()) return *found->second;
    IniSection* first = nullptr;
    for (const auto& section : SectionList)
        if (section->Name == wanted) {
            first = section.get();
            break;
        }
    if (!first) first = &AppendSection(wanted);
    FirstSections.emplace(wanted, first);
    return *first;
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
