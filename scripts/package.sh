#!/usr/bin/env bash
# Builds the packages from the install rules with CPack: the Debian package
# (build-package/deb) and the Windows archive (build-package/windows, with
# MinGW-w64). Prints where each one is. Needs dpkg-dev (dpkg-shlibdeps)
# and g++-mingw-w64-x86-64; scripts/check-packages.sh checks what it made.
# Usage: scripts/package.sh [deb|zip]...   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PACKAGE_BUILD_DIR:-build-package}
jobs=$(nproc)
kinds=("$@")
[ ${#kinds[@]} -gt 0 ] || kinds=(deb zip)

for kind in "${kinds[@]}"; do
    case $kind in
    deb)
        cmake -S . -B "$build/deb" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
            -DQUENDIX_DEBIAN_LAYOUT=ON -DQUENDIX_BUILD_TESTS=OFF -DQUENDIX_WERROR=ON >/dev/null
        cmake --build "$build/deb" -j"$jobs" >/dev/null
        (cd "$build/deb" && cpack -G DEB >/dev/null)
        ls "$PWD/$build/deb"/quendix_*.deb
        ;;
    zip)
        cmake -S . -B "$build/windows" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DQUENDIX_BUILD_TESTS=OFF \
            -DQUENDIX_WERROR=ON >/dev/null
        cmake --build "$build/windows" -j"$jobs" >/dev/null
        (cd "$build/windows" && cpack -G ZIP >/dev/null)
        ls "$PWD/$build/windows"/quendix-*-win64.zip
        ;;
    *)
        echo "usage: scripts/package.sh [deb|zip]..." >&2
        exit 2
        ;;
    esac
done
