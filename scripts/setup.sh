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
    localedef:locales \
    wixl:wixl \
    msiinfo:msitools \
    openssl:openssl \
    python3:python3
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
        fonts-wqy-microhei locales wixl msitools openssl python3
fi
# Signing an MSIX package needs osslsigncode 2.7 or later: Debian 12 has 2.5, its backports a
# later one. The backports source uses the same mirror as the system's own Debian source.
signs_packages() {
    version=$(osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9.]*\).*/\1/p')
    [ -n "$version" ] && [ "$(printf '%s\n2.7\n' "$version" | sort -V | head -n 1)" = 2.7 ]
}
if ! signs_packages; then
    . /etc/os-release
    if [ "$VERSION_CODENAME" = bookworm ]; then
        if ! grep -rqs bookworm-backports /etc/apt/sources.list /etc/apt/sources.list.d/; then
            mirror=$(awk -v RS= '/(^|\n)Suites:[^\n]*[ \t]bookworm([ \t\n]|$)/ && match($0, /URIs:[ \t]*[^ \t\n]+/) {
                         u = substr($0, RSTART, RLENGTH); sub(/^URIs:[ \t]*/, "", u); print u; exit }' \
                     /etc/apt/sources.list.d/debian.sources 2>/dev/null)
            [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
            echo "Adding bookworm-backports ($mirror) for osslsigncode"
            printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                "$mirror" | $SUDO tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null
        fi
        $SUDO apt-get update
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends -t bookworm-backports osslsigncode
    else
        $SUDO apt-get update
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends osslsigncode
    fi
    signs_packages || { echo "osslsigncode 2.7 or later is needed to sign the package" >&2; exit 1; }
fi
# Wine takes the user's languages from LANG and LC_MESSAGES, and only for locales that exist.
for name in de_DE en_US es_ES ja_JP; do
    locale -a | grep -qx "$name.utf8" || $SUDO localedef -i "$name" -f UTF-8 "$name.UTF-8"
done
