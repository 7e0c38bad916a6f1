#include "droplets/CatalogueTrust.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace {

// The accounts that may own and change the shared catalogue, as SIDs laid out in memory.
struct FixedSid {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY Authority;
    DWORD SubAuthority[6];
};
constexpr FixedSid TrustedSids[] = {
    {SID_REVISION, 2, SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}},
    {SID_REVISION, 1, SECURITY_NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID}},
    {SID_REVISION, 6, SECURITY_NT_AUTHORITY, {80, 956008885, 3418522649, 1831038044, 1853292631, 2271478464}},  // TrustedInstaller
};

bool IsTrusted(PSID sid) {
    return sid && IsValidSid(sid) && std::any_of(std::begin(TrustedSids), std::end(TrustedSids), [sid](const FixedSid& trusted) {
               return EqualSid(sid, const_cast<FixedSid*>(&trusted)) != FALSE;
           });
}

// Write, append (add a folder), delete (a child too), change the DACL, take ownership, and the
// generic rights that include them.
constexpr ACCESS_MASK ChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                       WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

bool IsDenyAce(BYTE type) {
    return type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_ACE_TYPE ||
           type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
}

// An ACE that lets someone outside the trusted accounts change the object. Deny ACEs take
// nothing into account (they only ever narrow); an allow ACE whose account cannot be read
// where a plain one has it counts as granting.
bool LetsOthersChange(const ACE_HEADER* header) {
    if (IsDenyAce(header->AceType) || (header->AceFlags & INHERIT_ONLY_ACE)) return false;
    const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    if (header->AceSize < sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) || !(allowed->Mask & ChangingRights)) return false;
    const bool plainLayout = header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
    if (!plainLayout || header->AceSize < offsetof(ACCESS_ALLOWED_ACE, SidStart) + 8) return true;
    const auto sid = reinterpret_cast<PSID>(const_cast<DWORD*>(&allowed->SidStart));
    const size_t room = header->AceSize - offsetof(ACCESS_ALLOWED_ACE, SidStart);
    return !IsValidSid(sid) || GetLengthSid(sid) > room || !IsTrusted(sid);
}

std::vector<BYTE> ReadDescriptor(const std::wstring& path) {
    constexpr SECURITY_INFORMATION Wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    std::vector<BYTE> descriptor(512);
    DWORD needed = 0;
    if (GetFileSecurityW(path.c_str(), Wanted, descriptor.data(), static_cast<DWORD>(descriptor.size()), &needed)) return descriptor;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= descriptor.size() || needed > 65536) return {};
    descriptor.resize(needed);
    if (GetFileSecurityW(path.c_str(), Wanted, descriptor.data(), needed, &needed)) return descriptor;
    return {};
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, also with an extension or trailing blanks ("nul.txt").
bool IsDeviceName(std::wstring_view component) {
    component = component.substr(0, component.find(L'.'));
    while (!component.empty() && component.back() == L' ') component.remove_suffix(1);
    std::wstring upper(component);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    static constexpr const wchar_t* Devices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    if (std::any_of(std::begin(Devices), std::end(Devices), [&upper](const wchar_t* device) { return upper == device; })) return true;
    return upper.size() == 4 && (upper.rfind(L"COM", 0) == 0 || upper.rfind(L"LPT", 0) == 0) && upper[3] >= L'1' &&
           upper[3] <= L'9';
}

}  // namespace

bool OnlyAdministratorsMayChange(PSECURITY_DESCRIPTOR descriptor) {
    if (!descriptor || !IsValidSecurityDescriptor(descriptor)) return false;
    PSID owner = nullptr;
    BOOL ownerDefaulted = FALSE;
    if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) || !IsTrusted(owner)) return false;
    BOOL present = FALSE, daclDefaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &daclDefaulted) || !present || !dacl) return false;
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (!GetAce(dacl, index, &ace) || LetsOthersChange(static_cast<const ACE_HEADER*>(ace))) return false;
    }
    return true;
}

bool IsTrustedSharedFile(const std::wstring& file, int foldersAbove) {
    // The file first: where it does not exist (the usual case) one call answers.
    std::wstring path = file;
    for (int level = 0; level <= foldersAbove; ++level) {
        std::vector<BYTE> descriptor = ReadDescriptor(path);
        if (descriptor.empty() || !OnlyAdministratorsMayChange(descriptor.data())) return false;
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos || slash == 0) return false;
        path.resize(slash);
    }
    return true;
}

bool IsLocalAbsolutePath(const std::wstring& path) {
    if (path.size() < 4 || !std::iswalpha(path[0]) || path[0] > 0x7F || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/'))
        return false;
    if (path.find(L':', 2) != std::wstring::npos) return false;  // a stream, or no file name at all
    for (size_t start = 3; start <= path.size();) {
        size_t end = path.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = path.size();
        if (IsDeviceName(std::wstring_view(path).substr(start, end - start))) return false;
        start = end + 1;
    }
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) != DRIVE_REMOTE;
}
