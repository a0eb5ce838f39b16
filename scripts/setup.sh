#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the console program need,
# but only those that are missing, so a prepared machine pays nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    libsqlite3-dev sqlite3 libpq-dev postgresql libicu-dev libfontconfig-dev libjpeg62-turbo-dev libpng-dev
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libxcb1-dev
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-liberation2 xvfb clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
