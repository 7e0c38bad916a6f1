#pragma once
#include <cstdint>

// Classification of a path by its last extension; 99 means "not an archive".
using ArchiveKind = int32_t;
inline constexpr ArchiveKind NotAnArchive = 99;

// Kind for an extension text that starts at the "." (".zip"), ASCII case ignored.
ArchiveKind ArchiveKindOfExtension(const wchar_t* extension);

inline constexpr bool IsArchive(ArchiveKind kind) { return kind != NotAnArchive; }
// Zip, KESx, KES, Tar and the compressed Tars.
bool IsVerifiableKind(ArchiveKind kind);
// The verifiable kinds and RAR.
bool IsConvertibleKind(ArchiveKind kind);
// Zip, KESx, KES.
bool IsZipOrKesKind(ArchiveKind kind);
