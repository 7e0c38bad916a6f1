#include "droplets/DropletFile.h"

#include <windows.h>
#include <shlwapi.h>

#include "droplets/CatalogueTrust.h"

namespace {
constexpr const wchar_t* Section = L"DropSlots";
constexpr size_t ValueCapacity = 1024;
}  // namespace

// An undetermined catalogue folder gives an empty path: nothing to read. The shared file lies
// two folders ("Tamber Soft\Kestrel") below the common application data folder.
DropletFile::DropletFile(const std::wstring& path, Origin origin) : From(origin) {
    if (path.empty() || (origin == Shared && !IsTrustedSharedFile(path, 2))) return;
    Ini.Load(path.c_str(), SizeLimit);
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
    if (From == Shared && !IsLocalAbsolutePath(value)) return {};
    if (!PathFileExistsW(value)) return {};
    return value;
}
