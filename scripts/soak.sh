#!/usr/bin/env bash
# The long soak under Wine: the live soak test of tests/e2e/test_soak.cpp, run for longer than
# the test command's 20 seconds. It prints the run's figures at the end.
#   scripts/soak.sh                  ten minutes of the x86 build, the main deliverable
#   scripts/soak.sh --arch x64 120   two minutes of the x64 build
# LUMIVANE_BUILD_DIR names another build directory of that architecture (default build/win32
# or build/win64). The x86 build needs a kernel that runs 32-bit code.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch=x86
if [ "${1:-}" = --arch ]; then
  [ "${2:-}" = x86 ] || [ "${2:-}" = x64 ] || { echo "soak: --arch takes x86 or x64" >&2; exit 2; }
  arch=$2
  shift 2
fi
seconds=${1:-600}
preset=$([ "$arch" = x86 ] && echo win32 || echo win64)
build=${LUMIVANE_BUILD_DIR:-$root/build/$preset}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset "$preset" -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target lumivane_e2e >/dev/null

# What CTest hands the live tests (tests/e2e/CMakeLists.txt); CTest itself would stop a test
# this long at its timeout.
export LUMIVANE_SOAK_SECONDS=$seconds
export LUMIVANE_WINE_DIR=$build/wine
export LUMIVANE_E2E_HOST=$build/host/BLACKBOX.EXE
export LUMIVANE_E2E_PLUGIN=$build/plugin/Lumivane.dll
export LUMIVANE_E2E_TARGET=$build/tests/e2e/target_app.exe
echo "soak: ${seconds}s of the $arch build under Wine"
tests/e2e/wine-run.sh "$build/tests/e2e/lumivane_e2e.exe" --gtest_filter='LiveDesktop.Soak*'
