#include "droplets/DropletFile.h"

#include <windows.h>
#include <shlwapi.h>

namespace {
constexpr const wchar_t* Section = L"DropSlots";
constexpr size_t ValueCapacity = 1024;
}  // namespace

// An undetermined catalogue folder gives an empty path: nothing to read.
DropletFile::DropletFile(const std::wstring& path) {
    if (!path.empty()) Ini.Load(path.c_str());
}

bool DropletFile::First() {
    Key = Ini.FirstKey(Section);
    return Key != nullptr;
}

bool DropletFile::Next() {
    Key = Key ? Ini.NextKey() : nullptr;
    return Key != nullptr;
}

std::wstring DropletFile::Droplet() {
    wchar_t value[ValueCapacity];
    if (!Key || !Ini.GetString(Section, Key, value, ValueCapacity)) return {};
    if (!PathFileExistsW(value)) return {};
    return value;
}
