#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/InstallLocations.h"

// The user's droplets: the entries of the per-user catalogue file, then those of the file
// for all users. Droplet numbers count every entry in that order, whether its file can be
// used or not, so a droplet keeps its number (and its code) while another one is missing.
// Both files are read afresh for every question.
class DropletCatalogue {
public:
    explicit DropletCatalogue(const InstallLocations& paths)
        : UserFile(paths.UserDropletFile()), SharedFile(paths.SharedDropletFile()) {}

    // True when either file has an entry, whether its droplet exists or not.
    bool HasDroplets() const;
    // The file of droplet number, when its entry exists, its value fits and the file exists;
    // empty otherwise.
    std::wstring Find(uint32_t number) const;

    struct Droplet {
        uint32_t Number;
        std::wstring Path;
    };
    // Every droplet that can be shown, in catalogue order, with its number.
    std::vector<Droplet> Shown() const;

private:
    const std::wstring& UserFile;
    const std::wstring& SharedFile;
};
