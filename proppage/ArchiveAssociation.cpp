#include "proppage/ArchiveAssociation.h"

#include <windows.h>

#include "proppage/AsciiCase.h"
#include "support/CRegistry.h"
#include "support/RegistryValues.h"

namespace {

using namespace RegistryValues;

struct Association {
    const wchar_t* Extension;  // also the key read under the classes root
    const wchar_t* ProgId;
};

// The page's own table, not the context menu's classification. Each extension occurs once.
constexpr Association LastExtensions[] = {
    {L".kesx", ProgIdKesx},
    {L".kedx", ProgIdKedx},
    {L".kes", ProgIdKes},
    {L".zip", ProgIdZip},    {L".cbz", ProgIdZip},   {L".z01", ProgIdZip},
    {L".7z", ProgId7Zip},
    {L".rar", ProgIdRar},    {L".cbr", ProgIdRar},   {L".001", ProgIdRar},
    {L".tar", ProgIdTar},    {L".cbt", ProgIdTar},   {L".gtar", ProgIdTar},  {L".gnutar", ProgIdTar},
    {L".ustar", ProgIdTar},  {L".tlzma", ProgIdTar}, {L".tz", ProgIdTar},    {L".tgz", ProgIdTar},
    {L".tbz2", ProgIdTar},   {L".tbz", ProgIdTar},
    {L".cab", ProgIdCab},
    {L".lzma", ProgIdGeneric}, {L".z", ProgIdGeneric},    {L".gz", ProgIdGeneric},   {L".bz2", ProgIdGeneric},
    {L".as", ProgIdGeneric},   {L".arc", ProgIdGeneric},  {L".arj", ProgIdGeneric},  {L".b64", ProgIdGeneric},
    {L".hqx", ProgIdGeneric},  {L".btoa", ProgIdGeneric}, {L".lha", ProgIdGeneric},  {L".lzh", ProgIdGeneric},
    {L".mime", ProgIdGeneric}, {L".mim", ProgIdGeneric},  {L".mme", ProgIdGeneric},  {L".sco", ProgIdGeneric},
    {L".cpt", ProgIdGeneric},  {L".uue", ProgIdGeneric},  {L".uu", ProgIdGeneric},   {L".ync", ProgIdGeneric},
    {L".yenc", ProgIdGeneric}, {L".ntx", ProgIdGeneric},
};

// Consulted only when the last extension is unknown.
constexpr Association TwoPartNames[] = {
    {L".kes.bin", ProgIdKes},
    {L".kesx.bin", ProgIdKesx},
};

constexpr DWORD ProgIdCapacity = 256;

const Association* FindAssociation(std::wstring_view path) {
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring_view::npos) return nullptr;
    for (const Association& row : LastExtensions)
        if (EqualsIgnoringAsciiCase(path.substr(dot), row.Extension)) return &row;
    for (const Association& row : TwoPartNames) {
        const std::wstring_view ending = row.Extension;
        if (path.size() >= ending.size() && EqualsIgnoringAsciiCase(path.substr(path.size() - ending.size()), ending))
            return &row;
    }
    return nullptr;
}

}  // namespace

bool IsAssociatedWithArchiver(std::wstring_view path) {
    const Association* expected = FindAssociation(path);
    if (!expected) return false;
    CRegistry registry;
    registry.SetRoot(CRegistry::ClassesRoot);
    registry.SetKeyPath(expected->Extension);
    wchar_t progId[ProgIdCapacity] = {};
    return registry.GetString(nullptr, progId, ProgIdCapacity) && EqualsIgnoringAsciiCase(progId, expected->ProgId);
}
