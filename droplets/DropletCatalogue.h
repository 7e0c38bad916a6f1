#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "droplets/DropletFile.h"
#include "support/InstallLocations.h"

// The user's droplets: the entries of the per-user catalogue file, then those of the file
// for all users. Droplet numbers count every entry in that order, whether its file can be
// used or not, so a droplet keeps its number (and its code) while another one is missing.
// Each catalogue file is read on the first question that needs it and kept until Forget(), so
// one menu asks the disk for it once however many questions it has; whether a droplet's own
// file exists is asked at every question.
class DropletCatalogue {
public:
    explicit DropletCatalogue(const InstallLocations& paths) : Paths(paths) {}
    DropletCatalogue(const DropletCatalogue&) = delete;
    DropletCatalogue& operator=(const DropletCatalogue&) = delete;

    // True when either file has an entry, whether its droplet exists or not.
    bool HasDroplets() const;
    // The file of droplet number, when its entry exists, its value fits and the file exists;
    // empty otherwise.
    std::wstring Find(uint32_t number) const;

    struct Droplet {
        uint32_t Number;
        std::wstring Path;
    };
    // Calls show(droplet) for every droplet that can be shown, in catalogue order, until it
    // returns false.
    template <class Show>
    void ForEachShown(Show show) const {
        uint32_t number = 0;
        for (int which : {User, Shared}) {
            DropletFile& file = File(which);
            for (bool more = file.First(); more; more = file.Next(), ++number)
                if (std::wstring path = file.Droplet(); !path.empty() && !show(Droplet{number, std::move(path)})) return;
        }
    }
    std::vector<Droplet> Shown() const;

    // The next question reads the files afresh.
    void Forget();

private:
    enum Which { User, Shared };
    DropletFile& File(int which) const;

    const InstallLocations& Paths;
    mutable std::optional<DropletFile> Files[2];
};
