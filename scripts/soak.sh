#!/usr/bin/env bash
# The live soak test of tests/e2e/test_soak.cpp for longer than the test command's 20 seconds,
# printing the run's figures at the end.
#   scripts/soak.sh                  ten minutes of the x86 build, the main deliverable
#   scripts/soak.sh --arch x64 120   two minutes of the x64 build
# LUMIVANE_BUILD_DIR names another build directory of that architecture (default build/win32
# or build/win64). Where 32-bit code does not run here, the x86 build soaks in the QEMU guest.
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh"
cd "$LUMIVANE_ROOT"
arch=x86
if [ "${1:-}" = --arch ]; then
  preset_of "${2:-}" >/dev/null || { echo "soak: --arch takes x86 or x64" >&2; exit 2; }
  arch=$2 && shift 2
fi
seconds=${1:-600} build=${LUMIVANE_BUILD_DIR:-$PWD/build/$(preset_of $arch)}

[ -f "$build/CMakeCache.txt" ] || cmake --preset "$(preset_of $arch)" -B "$build" >/dev/null
cmake --build "$build" -j2 --target lumivane_e2e >/dev/null
if [ "$arch" = x86 ] && ! x86_runs_here; then
  echo "soak: 32-bit code does not run here ($why_no_x86); the x86 build soaks in a QEMU guest"
  guarded scripts/qemu-guest.sh scripts/soak.sh --arch x86 "$seconds"
  exit
fi

# What CTest hands the live tests (tests/e2e/CMakeLists.txt): CTest would time this one out.
export LUMIVANE_SOAK_SECONDS=$seconds LUMIVANE_WINE_DIR=$build/wine \
  LUMIVANE_E2E_HOST=$build/host/BLACKBOX.EXE LUMIVANE_E2E_PLUGIN=$build/plugin/Lumivane.dll \
  LUMIVANE_E2E_TARGET=$build/tests/e2e/target_app.exe
echo "soak: ${seconds}s of the $arch build under Wine"
guarded tests/e2e/wine-run.sh "$build/tests/e2e/lumivane_e2e.exe" --gtest_filter='LiveDesktop.Soak*'
