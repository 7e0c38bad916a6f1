#include "launch/DropletArguments.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "support/UniqueComPtr.h"

namespace {

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    const size_t length = wcslen(suffix);
    return text.size() >= length && lstrcmpiW(text.c_str() + text.size() - length, suffix) == 0;
}

const wchar_t* const ShellScriptExtensions[] = {L".bat", L".cmd"};

// The program an "open" command starts: its first word, quoted or not, variables expanded.
std::wstring CommandProgram(const std::wstring& command) {
    std::wstring program;
    if (!command.empty() && command[0] == L'"') {
        const size_t close = command.find(L'"', 1);
        program = command.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    } else {
        program = command.substr(0, command.find(L' '));
    }
    wchar_t expanded[MAX_PATH * 2];
    const DWORD length = ExpandEnvironmentStringsW(program.c_str(), expanded, MAX_PATH * 2);
    return length > 0 && length <= MAX_PATH * 2 ? std::wstring(expanded) : program;
}

bool IsCommandShell(const std::wstring& program) {
    const std::wstring name = program.substr(program.find_last_of(L"\\/") + 1);
    return lstrcmpiW(name.c_str(), L"cmd.exe") == 0 || lstrcmpiW(name.c_str(), L"cmd") == 0;
}

bool OpenVerbRunsCommandShell(const std::wstring& file) {
    wchar_t command[2048];
    DWORD length = ARRAYSIZE(command);
    if (FAILED(AssocQueryStringW(ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, file.c_str(), L"open", command, &length))) return false;
    return IsCommandShell(CommandProgram(command));
}

// Where a shortcut points; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& shortcut) {
    IShellLinkW* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&raw))) || !raw) return {};
    const UniqueComPtr<IShellLinkW> link(raw);
    IPersistFile* file = nullptr;
    if (FAILED(link.Get()->QueryInterface(IID_PPV_ARGS(&file))) || !file) return {};
    const UniqueComPtr<IPersistFile> persisted(file);
    wchar_t target[MAX_PATH] = {};
    if (FAILED(file->Load(shortcut.c_str(), STGM_READ)) ||
        link.Get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) != S_OK)
        return {};
    return target;
}

DropletReader ReaderOfFile(const std::wstring& file) {
    const bool script = std::any_of(std::begin(ShellScriptExtensions), std::end(ShellScriptExtensions),
                                    [&file](const wchar_t* extension) { return EndsWithNoCase(file, extension); });
    return script || IsCommandShell(file) || OpenVerbRunsCommandShell(file) ? DropletReader::CommandShell
                                                                            : DropletReader::Program;
}

// What cmd.exe reads as more than text even between quotes, and what no quoting carries.
bool CommandShellCarries(const std::wstring& path) {
    return std::none_of(path.begin(), path.end(), [](wchar_t c) { return c < L' ' || c == L'%' || c == L'!' || c == L'"'; });
}

// As CommandLineToArgvW reads it back: 2n backslashes and a quote give n backslashes and end
// the argument, 2n + 1 give n and a literal quote; backslashes elsewhere stand for themselves.
void AppendForProgram(std::wstring& line, const std::wstring& path) {
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : path) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

}  // namespace

DropletReader ReaderOf(const std::wstring& droplet) {
    if (ReaderOfFile(droplet) == DropletReader::CommandShell) return DropletReader::CommandShell;
    if (!EndsWithNoCase(droplet, L".lnk")) return DropletReader::Program;
    const std::wstring target = ShortcutTarget(droplet);
    // A shortcut whose target cannot be read is taken as the more careful of the two.
    return target.empty() ? DropletReader::CommandShell : ReaderOfFile(target);
}

std::optional<std::wstring> DropletArguments(const std::wstring& droplet, DropletReader reader, const SelectionList& items) {
    const bool shell = reader == DropletReader::CommandShell;
    if (shell && !CommandShellCarries(droplet)) return std::nullopt;
    std::wstring line;
    for (const SelectionItem& item : items) {
        if (shell) {
            if (!CommandShellCarries(item.Path)) return std::nullopt;
            line += L'"' + item.Path + L'"';
        } else {
            AppendForProgram(line, item.Path);
        }
        line += L' ';
    }
    return line;
}
