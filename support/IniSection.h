#pragma once
#include <string>
#include <unordered_map>
#include <vector>

struct IniEntry {
    std::wstring Key;
    std::wstring Value;
};

// One [name] block; duplicates read from a file are kept in file order. Entries are only
// ever appended, so an index of each key's last entry keeps lookups constant-time even
// for a request that lists tens of thousands of items. The index catches up on the first
// lookup after appends: a file that is only walked never builds it.
struct IniSection {
    std::wstring Name;
    std::vector<IniEntry> Entries;

    IniEntry* FindLast(const std::wstring& key) {
        for (; Indexed < Entries.size(); ++Indexed) LastIndex[Entries[Indexed].Key] = Indexed;
        const auto found = LastIndex.find(key);
        return found == LastIndex.end() ? nullptr : &Entries[found->second];
    }
    void Append(std::wstring key, std::wstring value) { Entries.push_back({std::move(key), std::move(value)}); }

private:
    std::unordered_map<std::wstring, size_t> LastIndex;
    size_t Indexed = 0;  // entries already in LastIndex
};
