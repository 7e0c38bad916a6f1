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
    /usr/src/googletest/CMakeLists.txt:googletest
do
    probe=${pair%%:*}; pkg=${pair#*:}
    case $probe in
        /*) [ -e "$probe" ] || need="$need $pkg" ;;
        *)  command -v "$probe" >/dev/null 2>&1 || need="$need $pkg" ;;
    esac
done
[ -z "$need" ] && exit 0
echo "Installing:$need"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
    g++-mingw-w64-x86-64-win32 mingw-w64-tools wine wine64 xvfb xauth cmake ninja-build googletest
