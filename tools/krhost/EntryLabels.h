#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "shellkit/MenuSnapshot.h"

// Names what a menu entry is, as an archiver developer wants to read it: the command
// code (recognised from the entry's text in the library's own string table) and the
// bitmap resource its image was loaded from.
class EntryLabels {
public:
    explicit EntryLabels(HMODULE library) : Library(library) { LoadTexts(); }
    ~EntryLabels() = default;
    EntryLabels(const EntryLabels&) = delete;
    EntryLabels& operator=(const EntryLabels&) = delete;

    // "21", "35", "droplet" or "?".
    std::wstring CodeOf(const MenuItemSnapshot& item, bool inDropletsMenu) const;
    // "image 205", "image (droplet icon)" or "no image".
    std::wstring ImageOf(HBITMAP image) const;

private:
    std::map<std::wstring, unsigned> CodeByText;
    std::wstring CreateWord;
    HMODULE Library;

    void LoadTexts();
};
