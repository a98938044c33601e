#!/usr/bin/env bash
# The long soak under Wine: the live soak test of tests/e2e/test_soak.cpp, run for longer than
# the test command's 20 seconds. It prints the run's figures at the end.
#   scripts/soak.sh          ten minutes
#   scripts/soak.sh 120      two minutes
# LUMIVANE_BUILD_DIR names another win64 build directory (default build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-600}
build=${LUMIVANE_BUILD_DIR:-$root/build/win64}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset win64 -B "$build" >/dev/null
fi
cmake --build "$build" -j2 --target lumivane_e2e >/dev/null

# What CTest hands the live tests (tests/e2e/CMakeLists.txt); CTest itself would stop a test
# this long at its timeout.
export LUMIVANE_SOAK_SECONDS=$seconds
export LUMIVANE_WINE_DIR=$build/wine
export LUMIVANE_E2E_HOST=$build/host/BLACKBOX.EXE
export LUMIVANE_E2E_PLUGIN=$build/plugin/Lumivane.dll
export LUMIVANE_E2E_TARGET=$build/tests/e2e/target_app.exe
echo "soak: ${seconds}s under Wine"
tests/e2e/wine-run.sh "$build/tests/e2e/lumivane_e2e.exe" --gtest_filter='LiveDesktop.Soak*'
