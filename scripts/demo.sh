#!/bin/sh
# Installs the built MSI in the private Wine prefix (as a user would: no regsvr32), lays out
# sample files and shows what Explorer would show for a few selections (text, and a PNG of the
# open menu).
set -e
build=$(cd "${1:-build}" && pwd)
wine=/usr/lib/wine/wine64
win() { echo "Z:$1" | sed 's|/|\\|g'; }   # Unix path -> the same file seen from Wine

demo="$build/demo"
samples="$demo/Samples"
rm -rf "$demo"
mkdir -p "$samples/Docs" "$samples/Photos 2026" "$samples/Unpacked" "$demo/requests"
for f in a.zip b.rar c.tgz d.kesx backup.tar.gz report.doc Docs/notes.txt "Photos 2026/beach.jpg"; do
    : > "$samples/$f"
done

reg() { $wine reg "$@" >/dev/null; }
msi=$(win "$(ls "$build"/package/KrShellExt-*-x64.msi | head -n 1)")
# An earlier demo's install goes first, so the one shown is this build's.
$wine msiexec /x "$msi" /qn >/dev/null 2>&1 || true
$wine msiexec /i "$msi" /qn
printf 'Installed with:   wine msiexec /i "%s" /qn\n' "$msi"
printf 'Uninstall with:   wine msiexec /x "%s" /qn\n' "$msi"
reg add 'HKCU\Software\Tamber Soft\Kestrel' /v EnableContextMenu /t REG_DWORD /d 1 /f
reg add 'HKCU\Software\Tamber Soft\Kestrel' /v TempFolder /t REG_SZ /d "$(win "$demo/requests")" /f
reg delete 'HKCU\Software\Tamber Soft\Kestrel\ContextMenu' /f 2>/dev/null || true
# The archiver owns ".kesx" (the property page reads this association, never writes it).
reg add 'HKCR\.kesx' /ve /t REG_SZ /d Kestrel.Archive.Open.Kesx /f
# The user's droplet catalogue: two droplets, copies of the stand-in so their starts are shown.
localappdata=$($wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')
catalogue="$WINEPREFIX/drive_c/$(printf '%s' "${localappdata#?:\\}" | tr '\\' /)/Tamber Soft/DropSlots"
mkdir -p "$samples/Droplets" "$catalogue"
cp "$build/archiver/Batch.exe" "$samples/Droplets/Backup to USB.exe"
cp "$build/archiver/Batch.exe" "$samples/Droplets/Mail to Office.exe"
printf '[DropSlots]\r\n1=%s\r\n2=%s\r\n' "$(win "$samples/Droplets/Backup to USB.exe")" \
    "$(win "$samples/Droplets/Mail to Office.exe")" | iconv -f UTF-8 -t UTF-16 > "$catalogue/DropSlots.ini"
# The stand-in archiver programs play the installed archiver.
reg add 'HKLM\Software\Wow6432Node\Tamber Soft\Kestrel' /v InstallLocation /t REG_SZ /d "$(win "$build/archiver")\\" /f

krhost() {
    # Echo the command with sample paths relative to the sample folder, as typed there.
    line='$ krhost'
    for a in "$@"; do
        case $a in "$wsamples"\\*) a=${a#"$wsamples"\\} ;; "$wdemo"\\*) a=${a#"$wdemo"\\} ;; esac
        case $a in *" "*) a="\"$a\"" ;; esac
        line="$line $a"
    done
    printf '\n%s\n' "$line"
    $wine "$build/krhost.exe" "$@"
}
wsamples=$(win "$samples")
wdemo=$(win "$demo")

cd "$samples"
krhost menu "$wsamples\\a.zip" --screenshot "$wdemo\\menu-a.zip.png"
# As a Japanese user sees it. Tahoma takes its Japanese glyphs from the CJK font the set-up
# installs; Wine writes its own link list back whenever a program starts under another code page
# (the tests run under several), so the link is set here, after this run's first program.
reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma /t REG_MULTI_SZ \
    /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f
krhost menu "$wsamples\\a.zip" --lang ja --screenshot "$wdemo\\menu-a.zip-ja.png"
# The same selection in Windows 11's first-level menu: the same entries from the same tables.
krhost commands "$wsamples\\a.zip" --screenshot "$wdemo\\commands-a.zip.png"
krhost menu "$wsamples\\report.doc"
krhost menu "$wsamples\\a.zip" "$wsamples\\Docs" --screenshot "$wdemo\\menu-a.zip-Docs.png"
krhost commands "$wsamples\\a.zip" "$wsamples\\Docs" --screenshot "$wdemo\\commands-a.zip-Docs.png"
# A droplet runs on the selection: its program gets the selected paths.
krhost menu "$wsamples\\report.doc" "$wsamples\\Docs" --invoke "Backup to USB"
krhost menu "$wsamples\\a.zip" "$wsamples\\Docs" "$wsamples\\d.kesx" --invoke "Extract All Here"
# The command just chosen is now offered directly on Explorer's menu too.
krhost menu "$wsamples\\b.rar"
# Windows 11's menu starts the same program with the same request, and remembers the command too.
krhost commands "$wsamples\\c.tgz" --invoke "Extract All to Folder named after archive"
# Right-dragging archives onto a folder: the Batch.exe beside the library does the extracting.
krhost drop "$wsamples\\Unpacked" "$wsamples\\a.zip" "$wsamples\\c.tgz" --invoke "Extract All Here"
# A non-archive among the dropped items: the handler adds nothing.
krhost drop "$wsamples\\Unpacked" "$wsamples\\a.zip" "$wsamples\\report.doc"
# The Properties dialog of an archive: the page names the file and lists its format's abilities.
krhost props "$wsamples\\d.kesx" --screenshot "$wdemo\\props-d.kesx.png"
echo
echo "Screenshots: $demo/menu-a.zip.png $demo/menu-a.zip-ja.png $demo/menu-a.zip-Docs.png $demo/props-d.kesx.png"
echo "Windows 11: $demo/commands-a.zip.png $demo/commands-a.zip-Docs.png"
