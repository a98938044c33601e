#!/bin/bash
# Runs a Windows program under wine64 on a private desktop and exits with its exit code.
#
#   tests/e2e/wine-run.sh PROGRAM.EXE [ARGS...]
#
# Inside a session started by scripts/wine-session.sh (LUMIVANE_WINE_SESSION=1 with DISPLAY and
# WINEPREFIX set) the program just runs there. Otherwise the wrapper starts its own session in
# LUMIVANE_WINE_DIR (default: ./wine under the current directory, which CTest makes the build
# directory), runs the program, and stops the session again.
set -euo pipefail

WINE=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ $# -eq 0 ]; then
    echo "usage: $0 PROGRAM.EXE [ARGS...]" >&2
    exit 2
fi

if [ "${LUMIVANE_WINE_SESSION:-}" = 1 ] && [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ]; then
    exec "$WINE" "$@"
fi

session_script=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/wine-session.sh
wine_dir=${LUMIVANE_WINE_DIR:-$PWD/wine}
mkdir -p "$wine_dir"

# One private session per prefix at a time: a second wrapper on the same prefix waits here.
exec 9>"$wine_dir/.lock"
flock 9

trap '"$session_script" stop "$wine_dir"' EXIT
# The session's Xvfb and wineserver must not inherit the lock.
eval "$("$session_script" start "$wine_dir" 9>&-)"
status=0
"$WINE" "$@" || status=$?
exit "$status"
