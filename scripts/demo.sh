#!/bin/sh
# Registers the built DLL in the private Wine prefix, lays out sample files and shows
# what Explorer would show for a few selections (text, and a PNG of the open menu).
set -e
build=$(cd "${1:-build}" && pwd)
wine=/usr/lib/wine/wine64
win() { echo "Z:$1" | sed 's|/|\\|g'; }   # Unix path -> the same file seen from Wine

demo="$build/demo"
samples="$demo/Samples"
rm -rf "$demo"
mkdir -p "$samples/Docs" "$samples/Photos 2026" "$demo/requests"
for f in a.zip b.rar c.tgz d.kesx backup.tar.gz report.doc Docs/notes.txt "Photos 2026/beach.jpg"; do
    : > "$samples/$f"
done

reg() { $wine reg "$@" >/dev/null; }
$wine regsvr32 /s "$(win "$build/KrShellExtEN.dll")"
reg add 'HKCU\Software\Tamber Soft\Kestrel' /v EnableContextMenu /t REG_DWORD /d 1 /f
reg add 'HKCU\Software\Tamber Soft\Kestrel' /v TempFolder /t REG_SZ /d "$(win "$demo/requests")" /f
reg delete 'HKCU\Software\Tamber Soft\Kestrel\ContextMenu' /f 2>/dev/null || true
# The stand-in archiver programs play the installed archiver.
reg add 'HKLM\Software\Wow6432Node\Tamber Soft\Kestrel' /v InstallLocation /t REG_SZ /d "$(win "$build/archiver")\\" /f

krhost() {
    echo
    echo "\$ krhost $*" | sed "s|$(win "$samples")\\\\||g"
    $wine "$build/krhost.exe" "$@"
}

cd "$samples"
krhost menu "$(win "$samples/a.zip")" --screenshot "$(win "$demo/menu-a.zip.png")"
krhost menu "$(win "$samples/report.doc")"
krhost menu "$(win "$samples/a.zip")" "$(win "$samples/Docs")"
krhost menu "$(win "$samples/a.zip")" "$(win "$samples/Docs")" "$(win "$samples/d.kesx")" --invoke "Extract All Here"
krhost menu "$(win "$samples/Docs")" --screenshot "$(win "$demo/menu-Docs.png")"
echo
echo "Screenshots: $demo/menu-a.zip.png $demo/menu-Docs.png"
