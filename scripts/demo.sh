#!/usr/bin/env bash
# Builds the command, converts the bundled sample feed and shows the records.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target quendix_cli >/dev/null
echo "records written: $("$build/quendix" convert examples/sample.xml "$build/sample.rec")"
"$build/quendix" show "$build/sample.rec"
