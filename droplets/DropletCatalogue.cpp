#include "droplets/DropletCatalogue.h"

DropletFile& DropletCatalogue::File(int which) const {
    std::optional<DropletFile>& file = Files[which];
    if (!file) {
        if (which == User)
            file.emplace(Paths.UserDropletFile(), DropletFile::User);
        else
            file.emplace(Paths.SharedDropletFile(), DropletFile::Shared);
    }
    return *file;
}

void DropletCatalogue::Forget() {
    for (std::optional<DropletFile>& file : Files) file.reset();
}

bool DropletCatalogue::HasDroplets() const { return File(User).First() || File(Shared).First(); }

std::wstring DropletCatalogue::Find(uint32_t number) const {
    // Only the entry with that number is read and checked; the others are just counted.
    uint32_t first = 0;
    for (int which : {User, Shared}) {
        DropletFile& file = File(which);
        for (bool more = file.First(); more; more = file.Next(), ++first)
            if (first == number) return file.Droplet();
    }
    return {};
}

std::vector<DropletCatalogue::Droplet> DropletCatalogue::Shown() const {
    std::vector<Droplet> droplets;
    ForEachShown([&droplets](Droplet droplet) {
        droplets.push_back(std::move(droplet));
        return true;
    });
    return droplets;
}
