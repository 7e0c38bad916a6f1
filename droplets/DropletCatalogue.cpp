#include "droplets/DropletCatalogue.h"

#include "droplets/DropletFile.h"

bool DropletCatalogue::HasDroplets() const {
    return DropletFile(UserFile).First() || DropletFile(SharedFile).First();
}

std::wstring DropletCatalogue::Find(uint32_t number) const {
    // Only the entry with that number is read and checked; the others are just counted.
    uint32_t first = 0;
    for (const std::wstring* path : {&UserFile, &SharedFile}) {
        DropletFile file(*path);
        for (bool more = file.First(); more; more = file.Next(), ++first)
            if (first == number) return file.Droplet();
    }
    return {};
}

std::vector<DropletCatalogue::Droplet> DropletCatalogue::Shown() const {
    std::vector<Droplet> droplets;
    uint32_t number = 0;
    for (const std::wstring* path : {&UserFile, &SharedFile}) {
        DropletFile file(*path);
        for (bool more = file.First(); more; more = file.Next(), ++number)
            if (std::wstring droplet = file.Droplet(); !droplet.empty()) droplets.push_back({number, std::move(droplet)});
    }
    return droplets;
}
