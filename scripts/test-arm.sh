#!/usr/bin/env bash
# 32-bit ARM: cross-builds GoogleTest, the library, the command and every
# test for arm-linux-gnueabihf, then runs them all under qemu-arm with the
# ARM system libraries from /usr/arm-linux-gnueabihf.
# Needs the Debian packages g++-arm-linux-gnueabihf and qemu-user; installs
# nothing. Builds in build-arm/ (ARM_BUILD_DIR overrides).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ARM_BUILD_DIR:-build-arm}
sysroot=/usr/arm-linux-gnueabihf
toolchain=$PWD/cmake/arm-linux-gnueabihf.cmake

missing=()
command -v arm-linux-gnueabihf-g++ >/dev/null || missing+=(g++-arm-linux-gnueabihf)
command -v qemu-arm >/dev/null || missing+=(qemu-user)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
if [ ${#missing[@]} -gt 0 ]; then
    echo "scripts/test-arm.sh needs the Debian packages: ${missing[*]}" >&2
    echo "install them with: apt-get install ${missing[*]}" >&2
    exit 1
fi

jobs=$(nproc)
build=$(mkdir -p "$build" && cd "$build" && pwd)

echo "== GoogleTest for ARM"
cmake -S /usr/src/googletest -B "$build/googletest" --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$build/googletest-install" >/dev/null
cmake --build "$build/googletest" -j"$jobs" >/dev/null
cmake --install "$build/googletest" >/dev/null

echo "== Library, command and tests for ARM"
cmake -S . -B "$build/quendix" --no-warn-unused-cli \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUENDIX_WERROR=ON -DQUENDIX_BUILD_TESTS=ON \
    -DGTest_DIR="$build/googletest-install/lib/cmake/GTest" >/dev/null
cmake --build "$build/quendix" -j"$jobs" >/dev/null
arm-linux-gnueabihf-readelf -h "$build/quendix/libquendix.so.1" | grep -E "Class|Machine"

echo "== Tests under qemu-arm"
# ctest runs every test program through qemu-arm (the toolchain's emulator).
# The command-line test is a shell script that starts the command itself, so
# it runs next, with a wrapper that starts the ARM command under qemu-arm.
ctest --test-dir "$build/quendix" --output-on-failure -j"$jobs" -E '^command_line$'

echo "== Command-line test under qemu-arm"
wrapper=$build/quendix-under-qemu
printf '#!/bin/sh\nexec qemu-arm -L %s %s "$@"\n' "$sysroot" "$build/quendix/quendix" >"$wrapper"
chmod +x "$wrapper"
bash tests/command_line_test.sh "$wrapper" "$PWD"

echo "== A 2 MB feed, window by window, as the host converts it"
host=$build/host
cmake -S . -B "$host" -DQUENDIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$host" --target quendix_cli -j"$jobs" >/dev/null
long_feed=$build/two-megabytes.xml
{
    sed -n '1,/<\/language>/p' examples/sample.xml
    for _ in $(seq 800); do sed -n '/<item>/,/<\/item>/p' examples/sample.xml; done
    echo '</channel></rss>'
} >"$long_feed"
"$host/quendix" convert "$long_feed" "$build/two-megabytes.host.rec" >/dev/null
"$wrapper" convert "$long_feed" "$build/two-megabytes.arm.rec" >/dev/null
cmp "$build/two-megabytes.host.rec" "$build/two-megabytes.arm.rec"
echo "same $(($(stat -c %s "$build/two-megabytes.arm.rec") / 1300)) records"
