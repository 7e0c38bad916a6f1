#!/bin/sh
# Installs what the build and the tests need, when it is missing (Debian 12).
set -e
need=""
for pair in \
    x86_64-w64-mingw32-g++-win32:g++-mingw-w64-x86-64-win32 \
    x86_64-w64-mingw32-widl:mingw-w64-tools \
    /usr/lib/wine/wine64:wine64 \
    wine:wine \
    xvfb-run:xvfb \
    xauth:xauth \
    cmake:cmake \
    ninja:ninja-build \
    /usr/src/googletest/CMakeLists.txt:googletest \
    /usr/share/fonts/truetype/wqy/wqy-microhei.ttc:fonts-wqy-microhei \
    localedef:locales
do
    probe=${pair%%:*}; pkg=${pair#*:}
    case $probe in
        /*) [ -e "$probe" ] || need="$need $pkg" ;;
        *)  command -v "$probe" >/dev/null 2>&1 || need="$need $pkg" ;;
    esac
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ -n "$need" ]; then
    echo "Installing:$need"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
        g++-mingw-w64-x86-64-win32 mingw-w64-tools wine wine64 xvfb xauth cmake ninja-build googletest \
        fonts-wqy-microhei locales
fi
# Wine takes the user's languages from LANG and LC_MESSAGES, and only for locales that exist.
for name in de_DE en_US es_ES ja_JP; do
    locale -a | grep -qx "$name.utf8" || $SUDO localedef -i "$name" -f UTF-8 "$name.UTF-8"
done
