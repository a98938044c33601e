#!/usr/bin/env bash
# The tests of Windows builds, live under Wine on a private display:
#   scripts/live-tests.sh [--here|--guest] PRESET [CTEST ARGUMENTS...] [+ PRESET [...]]...
# PRESET is win32 or win64; each build's session and prefix live in build/PRESET/wine. Where
# 32-bit code does not run here (scripts/lib/runner.sh), the x86 build's tests and the x64
# build's tests that start 32-bit programs (label other_bitness) run in one QEMU guest after
# the others; --here runs only the others, --guest only those.
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh" && cd "$LUMIVANE_ROOT"
usage() { echo "usage: $0 [--here|--guest] win32|win64 [ctest arguments] [+ win32|win64 ...]" >&2; exit 2; }
part=all
case ${1:-} in --here | --guest) part=${1#--} && shift ;; esac
# Each suite as one line of quoted words.
suites=() words=()
for word in "$@" +; do
  if [ "$word" != + ]; then words+=("$word")
  elif [ ${#words[@]} -gt 0 ]; then
    arch_of "${words[0]}" >/dev/null && suites+=("$(printf '%q ' "${words[@]}")") && words=() || usage
  fi
done
[ ${#suites[@]} -gt 0 ] || usage

# A session that cannot start (no room, no prefix) ends the run with the line that says why:
# every test would fail.
session=
run_here() {
  local status=0
  session=$PWD/build/$1/wine
  session_start "$session" || exit 1
  guarded ctest --preset "$@" || status=$?
  session_stop "$session" && return "$status"
}
trap '[ -z "$session" ] || session_stop "$session"' EXIT

here=() guest=()
x86_runs_here && here=("${suites[@]}") ||
  for suite in "${suites[@]}"; do
    eval "words=($suite)"
    [ "${words[0]}" = win32 ] && guest+=("$suite") && continue
    here+=("$suite -LE $OTHER_BITNESS_LABEL")
    [[ ! $(ctest -N --preset "${words[@]}" -L "$OTHER_BITNESS_LABEL") =~ Total\ Tests:\ [1-9] ]] ||
      guest+=("$suite -L $OTHER_BITNESS_LABEL")
  done
status=0
[ "$part" = guest ] || for suite in "${here[@]}"; do eval "run_here $suite" || status=1; done
if [ "$part" != here ] && [ ${#guest[@]} -gt 0 ]; then
  echo "live-tests: in a QEMU guest, as 32-bit code does not run here ($why_no_x86): ${guest[*]}"
  eval "guarded scripts/qemu-guest.sh scripts/live-tests.sh $(printf '%s + ' "${guest[@]}")" || status=1
fi
exit "$status"
