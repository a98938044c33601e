#!/bin/bash
# Runs a Windows program under wine64 on a private desktop and exits with its exit code.
#
#   tests/e2e/wine-run.sh PROGRAM.EXE [ARGS...]
#
# Wine's loader warnings are on: where Windows refuses to load a program or DLL whose import
# is not exported by the DLL or exe it names, Wine loads it anyway with a stub and only warns
# ("No implementation for ..."), and the first call through the stub crashes. The warnings of
# the program and of everything it starts go to the session's loader log
# (LUMIVANE_WINE_LOG, which the live tests read too), not to the terminal; a run that
# produced any such warning about our own files fails, whatever the program's exit code.
#
# Inside a session started by scripts/wine-session.sh (LUMIVANE_WINE_SESSION=1 with DISPLAY and
# WINEPREFIX set) the program just runs there. Otherwise the wrapper starts its own session in
# LUMIVANE_WINE_DIR (default: ./wine under the current directory, which CTest makes the build
# directory), runs the program, and stops the session again.
set -euo pipefail

WINE=/usr/lib/wine/wine64
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ $# -eq 0 ]; then
    echo "usage: $0 PROGRAM.EXE [ARGS...]" >&2
    exit 2
fi

# Runs the program with its standard error, and that of everything it starts, appended to
# the log; afterwards the lines that are not the loader's warnings are passed on. A file, not
# a pipe: a crashed program's debugger may hold a pipe open long after the program ended.
# Exits with the program's code, or 1 when the loader found an import that is not there.
run_program() {
    local log=$LUMIVANE_WINE_LOG
    local start
    start=$(stat -c %s "$log" 2>/dev/null || echo 0)
    local status=0
    WINEDEBUG=-all,warn+module "$WINE" "$@" 2>>"$log" || status=$?
    local new_lines
    new_lines=$(tail -c +"$((start + 1))" "$log")
    grep -v -E '^[0-9a-f]+:warn:module:' <<<"$new_lines" >&2 || true
    local unresolved
    unresolved=$(unresolved_imports <<<"$new_lines")
    if [ -n "$unresolved" ]; then
        echo "wine-run: the loader could not resolve imports of our files:" >&2
        printf '%s\n' "$unresolved" >&2
        [ "$status" -ne 0 ] || status=1
    fi
    return "$status"
}

# "No implementation for DLL.NAME imported from PATH": Wine's own DLLs excepted.
unresolved_imports() {
    grep -F 'No implementation for' | grep -v -i -E 'imported from L"C:\\\\windows\\\\' || true
}

if [ "${LUMIVANE_WINE_SESSION:-}" = 1 ] && [ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] &&
    [ -n "${LUMIVANE_WINE_LOG:-}" ]; then
    status=0
    run_program "$@" || status=$?
    exit "$status"
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
run_program "$@" || status=$?
exit "$status"
