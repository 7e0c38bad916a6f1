#pragma once
#include <string>
#include <vector>

struct IniEntry {
    std::wstring Key;
    std::wstring Value;
};

// One [name] block; duplicates read from a file are kept in file order.
struct IniSection {
    std::wstring Name;
    std::vector<IniEntry> Entries;
};
