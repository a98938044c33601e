# Sourced by the commands in scripts/ and by tests/e2e/wine-run.sh: where Wine is, the names of
# the builds, whether 32-bit code runs here or in the QEMU guest, a Wine session stopped by
# process id, and running a command so that an interrupt leaves nothing of it running.

# LUMIVANE_NO_32BIT=1 makes the commands act as on a machine whose kernel runs no 32-bit code,
# even where it could: every 32-bit process of the tests then runs in the QEMU guest
# (scripts/qemu-guest.sh). Where the kernel cannot, the commands set it themselves, and the live
# tests refuse to start a 32-bit program outside the guest, saying so.

LUMIVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
# That road chosen where the kernel runs 32-bit code: Wine here runs as where it runs none.
if [ "${LUMIVANE_NO_32BIT:-}" = 1 ] && [ -z "${LUMIVANE_IN_GUEST:-}" ] &&
  "$LUMIVANE_ROOT/scripts/can-run-x86.sh"; then
  WINE=$LUMIVANE_ROOT/scripts/lib/no-32bit/wine64 WINESERVER=$LUMIVANE_ROOT/scripts/lib/no-32bit/wineserver64
fi
# The CTest label of the x64 tests that start 32-bit programs (tests/e2e, tests/conformance).
OTHER_BITNESS_LABEL=other_bitness

preset_of() { case $1 in x86) echo win32 ;; x64) echo win64 ;; *) return 1 ;; esac; }
arch_of() { case $1 in win32) echo x86 ;; win64) echo x64 ;; *) return 1 ;; esac; }
objdump_of() { case $1 in x86) echo i686-w64-mingw32-objdump ;; *) echo x86_64-w64-mingw32-objdump ;; esac; }

# True where 32-bit programs run here. Elsewhere exports LUMIVANE_NO_32BIT=1 and sets why_no_x86.
x86_runs_here() {
  why_no_x86="LUMIVANE_NO_32BIT=1"
  [ "${LUMIVANE_NO_32BIT:-}" != 1 ] || return 1
  "$LUMIVANE_ROOT/scripts/can-run-x86.sh" && return 0
  why_no_x86="this machine's kernel runs no 32-bit code" && export LUMIVANE_NO_32BIT=1 && return 1
}

# True for a Windows program for 32-bit x86 (the PE header's machine is 0x14c).
is_32bit_program() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null) && [ "$(od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 014c ]
}

# A factor of 1 to 100 for every wait: LUMIVANE_TIME_SCALE, which the emulated guest sets.
time_scale() {
  [[ ${LUMIVANE_TIME_SCALE:-} =~ ^([1-9][0-9]?|100)$ ]] && echo "$LUMIVANE_TIME_SCALE" || echo 1
}

# True while process PID runs (not a zombie) and, when NAME is given, is that program: a
# recorded id may have been taken since.
is_running() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) && stat=${stat##*) } || return 1
  [ "${stat%% *}" != Z ] && { [ -z "${2:-}" ] || [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$2" ]; }
}

# Ends process PID (if it is program NAME): asks, waits up to five seconds, then forces.
stop_pid() {
  is_running "$@" || return 0
  kill "$1" 2>/dev/null || true
  for _ in $(seq 50); do is_running "$1" || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null || true
}

# Runs a command in a process group of its own, input from /dev/null, and answers its exit
# code. An interrupt (Ctrl-C, SIGTERM) ends the whole group, however deep, then this script.
guarded() {
  local pid status=0
  set -m && { "$@" </dev/null & } && pid=$! && set +m
  trap 'stop_group '"$pid"'; exit 130' INT TERM HUP
  wait "$pid" || status=$?
  trap - INT TERM HUP
  return "$status"
}
stop_group() {
  kill -TERM -- "-$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 -- "-$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL -- "-$1" 2>/dev/null || true
}

# A Wine session in DIR: the prefix DIR/prefix, kept between runs, and in DIR/session the logs
# and the id of each process to stop. In the QEMU guest one prefix with 32-bit DLLs serves
# every session, one after the other (build/guest-wine-prefix): it is made once, and the
# prefixes of the sessions outside the guest, without those DLLs there, stay as they are.
#   session_start DIR [SCREEN]   a private Xvfb of SCREEN (default 1280x1024x24; "none": the
#                                caller's DISPLAY) and a persistent wineserver; exports what
#                                Wine programs need, LUMIVANE_WINE_LOG the loader's log
#   session_keep DIR PID         another process for session_stop to end
#   session_stop DIR             ends it all, the Windows programs first
session_start() {
  local dir=$1 screen=${2:-1280x1024x24} state=$1/session prefix=$1/prefix started=$SECONDS
  [ -z "${LUMIVANE_IN_GUEST:-}" ] || prefix=$LUMIVANE_ROOT/build/guest-wine-prefix
  ! is_running "$(cat "$state/wineserver64.pid" 2>/dev/null)" wineserver64 ||
    { echo "wine-session: a session is already running in $dir" >&2; return 1; }
  session_stop "$dir"
  # A prefix is kept once it is whole; one that a run left unfinished is made anew. So is one
  # made before 32-bit Wine was installed, or where 32-bit code does not run, where it runs
  # now: its syswow64 is empty, and no 32-bit program starts ("could not load kernel32.dll").
  if [ -d "$prefix/drive_c" ] && ! prefix_is_whole "$prefix"; then
    echo "wine-session: $prefix is $(prefix_lacks "$prefix"); making it anew" >&2 && rm -rf "$prefix"
  fi
  mkdir -p "$state" "$prefix" && echo "$prefix" >"$state/prefix"
  if [ "$screen" != none ]; then
    # Xvfb picks a free display and writes its number once it accepts clients: no races.
    : >"$state/display"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "$screen" 3>"$state/display" >"$state/xvfb.log" 2>&1 9>&- &
    echo $! >"$state/Xvfb.pid"
    for _ in $(seq $((100 * $(time_scale)))); do
      grep -q '^[0-9]' "$state/display" && break
      is_running $! && sleep 0.1 || break
    done
    grep -q '^[0-9]' "$state/display" || { echo "wine-session: Xvfb did not start, see $state/xvfb.log" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$state/display")"
  fi
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LUMIVANE_WINE_SESSION=1 \
    LUMIVANE_WINE_LOG=$state/loader.log
  # The first program in a new prefix waits at most five minutes for wineboot to make it, the
  # 32-bit DLLs last; emulated, that takes longer. The server it started ends after the last
  # program of that start, and then the prefix is complete.
  if [ ! -f "$prefix/system.reg" ]; then
    local free_mb && free_mb=$(df -Pk "$prefix" | awk 'NR == 2 {print int($4 / 1024)}')
    [ "$free_mb" -ge "$PREFIX_MB" ] || { echo "wine-session: no room for a Wine prefix in $prefix:" \
      "$free_mb MB free, and one takes about $PREFIX_MB MB" >&2 && return 1; }
    "$WINE" wineboot >"$state/new-prefix.log" 2>&1 9>&-
    "$WINESERVER" -w
    # Kept only when whole, so that the next run makes it again rather than use a broken one.
    local lacks && lacks=$(prefix_lacks "$prefix" new)
    [ -z "$lacks" ] || { echo "wine-session: could not make the prefix $prefix: it is $lacks" \
      "(see $state/new-prefix.log)" >&2 && rm -rf "$prefix" && return 1; }
    : >"$prefix/.whole" && echo "wine-session: made the prefix $prefix in $((SECONDS - started)) s" >&2
  fi
  # -f: its own id is known; -p: alive between programs, which then start in well under a second.
  "$WINESERVER" -f -p >"$state/wineserver.log" 2>&1 9>&- &
  echo $! >"$state/wineserver64.pid"
  # wineboot makes a new prefix and starts the prefix's services. Started here they write to
  # the log; started by a test's first program they would hold its output open for ever.
  "$WINE" wineboot >"$state/wineboot.log" 2>&1 9>&-
  # A crashing program gets a backtrace in the log and ends, instead of a dialog that waits.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$state/wineboot.log" 2>&1 9>&-
  # Wine closes the desktop a second after its last program ends; a first window then waits
  # 10 s at most for a new one, too short emulated ("no driver could be loaded"). So it starts
  # here, given time, and a console program on a pipe that never ends keeps it to the end.
  # The pipe is made in /tmp, as the guest's share of build/ cannot hold one, and unlinked once
  # open: nothing is left of it when the console program ends.
  local keep keep_fd && keep=$(mktemp -u "${TMPDIR:-/tmp}/lumivane-keep.XXXXXX") && mkfifo "$keep" &&
    exec {keep_fd}<>"$keep" && rm -f "$keep"
  "$WINE" cmd.exe <&"$keep_fd" >/dev/null 2>&1 9>&- {keep_fd}<&- &
  exec {keep_fd}<&-
  "$WINE" explorer.exe /desktop >/dev/null 2>&1 9>&- & sleep $((2 * $(time_scale)))
  : >"$LUMIVANE_WINE_LOG"
}
# A new prefix takes about 700 MB, and 1.3 GB with 32-bit DLLs.
PREFIX_MB=1536
# Whether a prefix holds what the programs here need, and if not, what it lacks.
prefix_is_whole() { [ -z "$(prefix_lacks "$1")" ]; }
#   prefix_lacks PREFIX [new]   new: just made, not yet marked whole
prefix_lacks() {
  local windows=$1/drive_c/windows
  if [ ! -f "$1/system.reg" ] || [ ! -e "$windows/system32/kernel32.dll" ] ||
    { [ ! -f "$1/.whole" ] && [ "${2:-}" != new ]; }; then
    echo "unfinished"
  elif [ ! -e "$windows/syswow64/kernel32.dll" ] && [ -d /usr/lib/i386-linux-gnu/wine ] &&
    [ "${LUMIVANE_NO_32BIT:-}" != 1 ] && "$LUMIVANE_ROOT/scripts/can-run-x86.sh"; then
    echo "without the 32-bit DLLs that 32-bit programs here need"
  fi
}
session_keep() { echo "$2" >"$1/session/$(cat "/proc/$2/comm").pid"; }
session_stop() {
  local state=$1/session pid_file
  [ -d "$state" ] || return 0
  [ ! -f "$state/wineserver64.pid" ] || [ ! -f "$state/prefix" ] ||
    WINEPREFIX=$(cat "$state/prefix") timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
  for pid_file in "$state"/wineserver64.pid "$state"/*.pid; do
    [ ! -f "$pid_file" ] || stop_pid "$(cat "$pid_file")" "$(basename "$pid_file" .pid)" && rm -f "$pid_file"
  done
}
