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
mkdir -p "$build/bench"
$wine regsvr32 /s "$(win "$dll")"
status=0
$wine "$build/bench.exe" "$(win "$build/bench")" "$@" || status=$?
[ "$dll" = "$build/KrShellExtEN.dll" ] || $wine regsvr32 /s "$(win "$build/KrShellExtEN.dll")"
exit $status
