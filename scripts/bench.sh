#!/bin/sh
# Registers the built DLL (or the one given with --dll FILE, to compare another build) in the
# private Wine prefix, runs the benchmark on a data folder inside the build folder, and leaves
# the built DLL registered.
set -e
build=$(cd "${1:-build}" && pwd)
shift
wine=/usr/lib/wine/wine64
win() { echo "Z:$1" | sed 's|/|\\|g'; }   # Unix path -> the same file seen from Wine
dll="$build/KrShellExtEN.dll"
if [ "$1" = --dll ]; then
    dll="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
    shift 2
fi
# The selected files, made here at once: one by one through Wine, a folder of 100,000 takes hours.
largest=10000
for a in "$@"; do [ "$a" = --huge ] && largest=100000; done
data="$build/bench"
sized=
if [ $largest -gt 10000 ]; then sized="-$largest"; fi
mkdir -p "$data/Archives$sized" "$data/Files$sized" "$data/Mix$sized"
if [ ! -e "$data/Archives$sized/Backup $(printf %06d $((largest - 1))).zip" ]; then
    (cd "$data/Archives$sized" && seq -f 'Backup %06g.zip' 0 $((largest - 1)) | xargs -d '\n' touch)
    (cd "$data/Files$sized" && seq -f 'Report %06g.doc' 0 $((largest - 1)) | xargs -d '\n' touch)
    (cd "$data/Mix$sized" && seq 0 $((largest - 1)) | awk '{ n = sprintf("%06d", $1); m = $1 % 3
        if (m == 2) print "Folder " n > "dirs.lst"; else print (m ? "Report " n ".doc" : "Backup " n ".zip") > "files.lst" }' &&
        xargs -d '\n' touch < files.lst && xargs -d '\n' mkdir -p < dirs.lst && rm files.lst dirs.lst)
fi
$wine regsvr32 /s "$(win "$dll")"
status=0
$wine "$build/bench.exe" "$(win "$build/bench")" "$@" || status=$?
[ "$dll" = "$build/KrShellExtEN.dll" ] || $wine regsvr32 /s "$(win "$build/KrShellExtEN.dll")"
exit $status
