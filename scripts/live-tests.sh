#!/usr/bin/env bash
# The tests of one Windows build, live under Wine on a private display:
#   scripts/live-tests.sh win32|win64 [CTEST ARGUMENTS...]
# Starts one Wine session for the build's prefix (build/PRESET/wine), runs the build's tests
# (static checks, conformance and live scenarios) and stops the session again.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 win32|win64 [ctest arguments]" >&2; exit 2; }
preset=$1
shift
session_dir=$PWD/build/$preset/wine
eval "$(scripts/wine-session.sh start "$session_dir")"
trap 'scripts/wine-session.sh stop "$session_dir"' EXIT
ctest --preset "$preset" "$@"
