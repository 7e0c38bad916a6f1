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
# Japanese and Chinese texts in Tahoma (menus, dialogs) come from the CJK font the set-up installs.
if [ ! -f "$WINEPREFIX/.cjk-fontlink" ]; then
    /usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.cjk-fontlink"
fi
