#!/usr/bin/env bash
# Every test: installs what is missing, builds the three presets, runs the unit tests
# (AddressSanitizer and UBSan), each fuzz target for about 30 seconds (LUMIVANE_FUZZ_SECONDS to
# change), the checks of the release zip, and for each Windows build its static checks,
# conformance tests and live scenarios under Wine. The x86 build runs under 32-bit Wine where
# this machine's kernel runs 32-bit code, and in a QEMU guest where it does not
# (LUMIVANE_X86_IN_GUEST=1 takes the guest either way). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

echo "== native: product logic on the fake desktop"
build native
ctest --preset native
scripts/fuzz.sh "${LUMIVANE_FUZZ_SECONDS:-30}"

# Both Windows builds first: each one's live tests also start the other one's target app.
echo "== building the x86 and x64 deliverables"
build win32
build win64
scripts/package.sh --no-build
tests/package/check_zip.sh

echo "== win64: x64 deliverables, live under Wine"
scripts/live-tests.sh win64

if [ "${LUMIVANE_X86_IN_GUEST:-0}" != 1 ] && scripts/can-run-x86.sh; then
  echo "== win32: x86 deliverables, live under 32-bit Wine"
  scripts/live-tests.sh win32
else
  echo "== win32: x86 deliverables, live under 32-bit Wine in a QEMU guest" \
    "($([ "${LUMIVANE_X86_IN_GUEST:-0}" = 1 ] && echo "LUMIVANE_X86_IN_GUEST=1" ||
        echo "this kernel cannot run 32-bit code"))"
  scripts/qemu-guest.sh scripts/live-tests.sh win32
fi
