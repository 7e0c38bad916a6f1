#pragma once
#include <windows.h>

#include <string>

// Whether the catalogue that all users share may be believed: anyone may create the folders
// and the file under the common application data folder and keep full control of them, and a
// planted droplet runs as whoever right-clicks (administrators included).

// True when the descriptor's owner is Administrators, SYSTEM or TrustedInstaller and no ACE
// that applies to the object itself lets any other account write, append, delete, change the
// DACL or take ownership. A missing or null DACL lets everyone do all of that.
bool OnlyAdministratorsMayChange(PSECURITY_DESCRIPTOR descriptor);

// True when the file and each of the given number of folders above it pass that test (for the
// shared catalogue: "Kestrel" and "Tamber Soft", the folders below the common application data
// folder, whose own descriptor lets users add folders). False when a descriptor cannot be read.
bool IsTrustedSharedFile(const std::wstring& file, int foldersAbove);

// True for a path that names a file on a local drive by its full path: a drive letter, a
// colon and a backslash, no further colon, no UNC, device or relative path, and no device
// name (CON, NUL, COM1, ...) as a component; a drive that is mapped to a network share fails
// too. Droplets of the shared catalogue must name such paths, so a planted entry cannot make
// every right-click reach out to another machine.
bool IsLocalAbsolutePath(const std::wstring& path);
