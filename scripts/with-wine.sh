#!/bin/sh
# Runs a command inside one X display with a persistent wineserver on the private
# prefix (WINEPREFIX, from the Makefile), so Wine processes start quickly and share a desktop.
set -e
: "${WINEPREFIX:?WINEPREFIX must be set (use make)}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEARCH="${WINEARCH:-win64}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "$KR_IN_XVFB" ] && [ -z "$DISPLAY" ]; then
    KR_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh"
wineserver -p
# Start the prefix's services now, detached from our output: a service started
# by a test would inherit ctest's pipes and keep ctest waiting.
/usr/lib/wine/wine64 cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $status
