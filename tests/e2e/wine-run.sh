#!/usr/bin/env bash
# Runs a Windows program under wine64 on a private desktop and exits with its exit code.

#   tests/e2e/wine-run.sh PROGRAM.EXE [ARGS...]

# Where Windows refuses a program or DLL whose import is not there, Wine loads it with a stub
# and only warns ("No implementation for ..."). Those warnings go to the session's loader log
# (LUMIVANE_WINE_LOG, which the live tests read too); one about our own files fails the run.

# Outside a session of scripts/lib/runner.sh (LUMIVANE_WINE_SESSION=1) it starts its own in
# LUMIVANE_WINE_DIR (default ./wine, the build directory under CTest). Where
# LUMIVANE_NO_32BIT=1 a 32-bit program is refused, saying how to run it in the QEMU guest.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/runner.sh"
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM.EXE [ARGS...]" >&2; exit 2; }

if [ "${LUMIVANE_NO_32BIT:-}" = 1 ] && is_32bit_program "$1"; then
  echo "wine-run: $1 is a 32-bit program, and 32-bit programs do not run here" \
    "(LUMIVANE_NO_32BIT=1: this machine's kernel runs none, or that road was chosen)." \
    "scripts/live-tests.sh runs them in a QEMU guest; by hand: scripts/qemu-guest.sh COMMAND" >&2
  exit 1
fi

# Standard error goes to the log, a file: a crashed program's debugger may hold a pipe open long
# after. The lines that are not the loader's warnings are passed on.
run_program() {
  local start status=0 new_lines unresolved
  start=$(stat -c %s "$LUMIVANE_WINE_LOG" 2>/dev/null || echo 0)
  WINEDEBUG=-all,warn+module "$WINE" "$@" 2>>"$LUMIVANE_WINE_LOG" || status=$?
  new_lines=$(tail -c +"$((start + 1))" "$LUMIVANE_WINE_LOG")
  grep -v -E '^[0-9a-f]+:warn:module:' <<<"$new_lines" >&2 || true
  # "No implementation for DLL.NAME imported from PATH": Wine's own DLLs excepted.
  unresolved=$(grep -F 'No implementation for' <<<"$new_lines" |
    grep -v -i -E 'imported from L"C:\\\\windows\\\\' || true)
  [ -z "$unresolved" ] || { printf 'wine-run: the loader could not resolve imports of our files:\n%s\n' \
    "$unresolved" >&2 && [ "$status" != 0 ] || status=1; }
  return "$status"
}

if [ "${LUMIVANE_WINE_SESSION:-}" != 1 ] || [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ] ||
  [ -z "${LUMIVANE_WINE_LOG:-}" ]; then
  wine_dir=${LUMIVANE_WINE_DIR:-$PWD/wine}
  # One private session per prefix at a time: a second wrapper on the same prefix waits here.
  mkdir -p "$wine_dir" && exec 9>"$wine_dir/.lock" && flock 9
  trap 'session_stop "$wine_dir"' EXIT
  session_start "$wine_dir"
fi
run_program "$@"
