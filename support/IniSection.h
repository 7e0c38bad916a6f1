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
// for a request that lists tens of thousands of items.
struct IniSection {
    std::wstring Name;
    std::vector<IniEntry> Entries;

    IniEntry* FindLast(const std::wstring& key) {
        const auto found = LastIndex.find(key);
        return found == LastIndex.end() ? nullptr : &Entries[found->second];
    }
    void Append(std::wstring key, std::wstring value) {
        LastIndex[key] = Entries.size();
        Entries.push_back({std::move(key), std::move(value)});
    }

private:
    std::unordered_map<std::wstring, size_t> LastIndex;
};
