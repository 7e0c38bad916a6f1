#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "support/IniSection.h"

// In-memory model of a UTF-16 INI file: ordered sections of ordered key=value entries.
// Names compare exactly; a section lookup takes the first match, a key lookup the last.
class CIniFile {
public:
    CIniFile();
    explicit CIniFile(const wchar_t* path);
    virtual ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    bool Load(const wchar_t* path);   // appends the file's sections; always true
    // The same, but a file larger than sizeLimit bytes counts as unreadable and is not read.
    bool Load(const wchar_t* path, uint64_t sizeLimit);
    void Save();                      // writes only when modified
    bool Save(void* file);            // the same through an open file handle; false when unwritten

    IniSection& GetSection(const wchar_t* name);
    bool SetString(const wchar_t* section, const wchar_t* key, const wchar_t* value);
    bool SetInt(const wchar_t* section, const wchar_t* key, int32_t value);
    bool GetString(const wchar_t* section, const wchar_t* key, wchar_t* out, size_t capacity);
    const wchar_t* FirstKey(const wchar_t* section);
    const wchar_t* NextKey();

    bool IsModified() const { return Modified; }
    const std::vector<std::unique_ptr<IniSection>>& Sections() const { return SectionList; }

private:
    void ParseLine(std::wstring_view line, IniSection*& current);
    IniSection& AppendSection(std::wstring_view name);

    std::vector<std::unique_ptr<IniSection>> SectionList;
    std::unordered_map<std::wstring, IniSection*> FirstSections;  // first sections of the names looked up
    uint32_t KeyCursor = 0;
    IniSection* KeyCursorSection = nullptr;
    bool Modified = false;
    std::wstring FilePath;
};
