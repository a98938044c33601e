#!/usr/bin/env bash
# Every test: installs what is missing, builds the three presets, runs the unit tests
# (AddressSanitizer and UBSan), the static checks of the Windows files, the live tests
# under Wine, and each fuzz target for about 30 seconds (LUMIVANE_FUZZ_SECONDS to change).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

echo "== native: product logic on the fake desktop"
build native
ctest --preset native
scripts/fuzz.sh "${LUMIVANE_FUZZ_SECONDS:-30}"

echo "== win32: x86 deliverables"
build win32
ctest --preset win32

echo "== win64: x64 deliverables and live tests under Wine"
build win64
scripts/package.sh --no-build
tests/package/check_zip.sh
session_dir=$root/build/win64/wine
eval "$(scripts/wine-session.sh start "$session_dir")"
trap 'scripts/wine-session.sh stop "$session_dir"' EXIT
ctest --preset win64
