#!/bin/sh
# Creates the private Wine prefix once (never ~/.wine).
set -e
: "${WINEPREFIX:?WINEPREFIX must be set}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "Creating Wine prefix $WINEPREFIX"
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
