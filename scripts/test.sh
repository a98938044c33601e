#!/usr/bin/env bash
# Every test: installs what is missing, builds the three presets, runs the unit tests (ASan and
# UBSan), each fuzz target for about 30 s (LUMIVANE_FUZZ_SECONDS), the release zip's checks, and
# each Windows build's static, conformance and live tests under Wine. Where no 32-bit code runs
# here, or with LUMIVANE_NO_32BIT=1, every test that starts a 32-bit program runs in a QEMU
# guest (scripts/live-tests.sh). Ends with each stage's time; exits non-zero on any failure.
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh" && cd "$LUMIVANE_ROOT"

times=()
stage() {
  local name=$1 started=$SECONDS status=0
  shift && echo "== $name"
  guarded "$@" || status=$?
  times+=("$(printf '%5ds  %s' $((SECONDS - started)) "$name")$([ "$status" = 0 ] || echo ' (failed)')")
  return "$status"
}
trap 'echo "== stage times" && printf "   %s\n" "${times[@]}" "$(printf "%5ds  in all" "$SECONDS")"' EXIT
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1"; }
both_builds() { build win32 && build win64; }
package() { scripts/package.sh --no-build && tests/package/check_zip.sh; }

stage "installing what is missing" scripts/install-deps.sh
stage "native: building" build native
stage "native: unit tests on the fake desktop" ctest --preset native
stage "native: fuzzing" scripts/fuzz.sh "${LUMIVANE_FUZZ_SECONDS:-30}"
# Both Windows builds first: each one's live tests also start the other one's programs.
stage "building the x86 and x64 deliverables" both_builds
stage "the release zip" package
if x86_runs_here; then
  stage "win64: x64 deliverables, live under Wine" scripts/live-tests.sh win64
  stage "win32: x86 deliverables, live under 32-bit Wine" scripts/live-tests.sh win32
else
  echo "== 32-bit code does not run here ($why_no_x86): its tests go to a QEMU guest"
  stage "win64: x64 deliverables, live under Wine, but for other bitness" scripts/live-tests.sh --here win64
  stage "in a QEMU guest: win64 with 32-bit programs, win32 under 32-bit Wine" \
    scripts/live-tests.sh --guest win64 + win32
fi
