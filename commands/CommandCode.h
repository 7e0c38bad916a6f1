#pragma once
#include <cstdint>

// Codes of the menu entries; the values are shared with the archiver (request files)
// and the registry (remembered commands), so they never change.
using CommandCode = uint32_t;

namespace Cmd {
inline constexpr CommandCode ExtractHere = 1;
inline constexpr CommandCode ExtractToDesktop = 2;
inline constexpr CommandCode ExtractToMyArchives = 3;
inline constexpr CommandCode ExtractToNamedFolder = 4;
inline constexpr CommandCode ExtractWithOptions = 5;
inline constexpr CommandCode Convert = 6;
inline constexpr CommandCode Verify = 7;
inline constexpr CommandCode Recover = 8;
inline constexpr CommandCode Print = 11;
inline constexpr CommandCode CopyToClipboard = 12;
inline constexpr CommandCode SaveAs = 13;
inline constexpr CommandCode Digest = 14;
inline constexpr CommandCode AutoboxBuilder = 15;
inline constexpr CommandCode MakeSelfExtracting = 16;
inline constexpr CommandCode CreateZip = 17;
inline constexpr CommandCode CreateKesx = 18;
inline constexpr CommandCode CreateTarBzip2 = 19;
inline constexpr CommandCode CreateWithApp = 20;
inline constexpr CommandCode OpenWithApp = 21;
inline constexpr CommandCode WizardCreateNew = 22;
inline constexpr CommandCode WizardEmail = 23;
inline constexpr CommandCode WizardFtp = 24;
inline constexpr CommandCode WizardBurn = 25;
inline constexpr CommandCode AddToExisting = 26;
inline constexpr CommandCode Schedule = 27;
inline constexpr CommandCode ContentListMenu = 29;
inline constexpr CommandCode CreateOptions = 30;
inline constexpr CommandCode ToolsMenu = 31;
inline constexpr CommandCode WizardsMenu = 32;
inline constexpr CommandCode DropletsMenu = 33;
inline constexpr CommandCode KestrelMenu = 34;
inline constexpr CommandCode Separator = 35;
inline constexpr CommandCode FirstDroplet = 36;
}  // namespace Cmd
