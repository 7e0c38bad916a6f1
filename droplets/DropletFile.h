#pragma once
#include <cstdint>
#include <string>

#include "support/CIniFile.h"

// One file of the droplet catalogue, read when the object is made (a missing file reads as
// empty). Each entry of the section "DropSlots" is one droplet, in file order; the key only
// serves to walk the entries. A file larger than SizeLimit reads as empty, unread. The file
// all users share is read only when only administrators can change it, and its droplets must
// be local files; the user's own file is the user's choice.
class DropletFile {
public:
    enum Origin { User, Shared };
    static constexpr uint64_t SizeLimit = 32u << 20;

    DropletFile(const std::wstring& path, Origin origin);
    DropletFile(const DropletFile&) = delete;
    DropletFile& operator=(const DropletFile&) = delete;

    // Moves to the first or the next entry; false when there is none.
    bool First();
    bool Next();
    // The current entry's droplet file when its value has at most 1023 characters and names
    // a file that exists; empty otherwise.
    std::wstring Droplet();

private:
    CIniFile Ini;
    const wchar_t* Key = nullptr;
    Origin From;
};
