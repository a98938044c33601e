#!/bin/bash
# One private X display and one Wine server shared by every Windows program of a test run.
#
#   eval "$(scripts/wine-session.sh start DIR)"   starts Xvfb and a persistent wineserver for the
#                                                 prefix DIR/prefix, prints the variables to export
#   scripts/wine-session.sh stop DIR              stops what start started, by process id
#
# DIR (usually under the build directory) keeps the prefix between runs: creating one takes
# about ten seconds, reusing it well under one. The state of a running session is in DIR/session.
set -euo pipefail

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
state=$dir/session
prefix=$dir/prefix

# Xvfb chooses a free display itself and writes its number to the descriptor once it accepts
# clients, so two sessions on one machine never race for a display number.
start_display() {
    local number_file=$state/display
    : >"$number_file"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$number_file" \
        >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    # Ten seconds, times LUMIVANE_TIME_SCALE (1 to 100) where everything is slower: an
    # emulated guest (scripts/qemu-guest.sh).
    local scale=${LUMIVANE_TIME_SCALE:-1}
    [[ $scale =~ ^([1-9][0-9]?|100)$ ]] || scale=1
    for _ in $(seq $((100 * scale))); do
        if grep -q '^[0-9]' "$number_file"; then
            echo ":$(head -n1 "$number_file")"
            return
        fi
        is_running "$(cat "$state/xvfb.pid")" || break
        sleep 0.1
    done
    echo "wine-session: Xvfb did not start, see $state/xvfb.log" >&2
    return 1
}

start_session() {
    if [ -f "$state/wineserver.pid" ] && is_running "$(cat "$state/wineserver.pid")" wineserver64; then
        echo "wine-session: a session is already running in $dir (stop it first)" >&2
        exit 1
    fi
    # What a session that was not stopped left behind.
    stop_pid "$state/xvfb.pid" Xvfb
    # A prefix made before 32-bit Wine was installed has an empty syswow64, and no 32-bit
    # program starts in it ("could not load kernel32.dll").
    if [ -d /usr/lib/wine/i386-windows ] && [ -d "$prefix/drive_c/windows" ] &&
        [ ! -e "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "wine-session: $prefix predates 32-bit Wine; making it anew" >&2
        rm -rf "$prefix"
    fi
    mkdir -p "$state" "$prefix"
    local display
    display=$(start_display)

    export WINEPREFIX=$prefix DISPLAY=$display WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # -f keeps the server in the foreground of its own background job, so its id is known;
    # -p keeps it alive between programs.
    "$WINESERVER" -f -p >"$state/wineserver.log" 2>&1 &
    echo $! >"$state/wineserver.pid"
    # wineboot creates the prefix when it is new and starts the prefix's background services
    # either way. Started here, they write to the log; started by a test's first program,
    # they would inherit its output and hold it open (a reader would wait for ever).
    "$WINE" wineboot >"$state/wineboot.log" 2>&1
    # A program that crashes gets a backtrace in the log and ends, instead of a crash dialog
    # that would keep it (and whatever waits for it) alive.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >>"$state/wineboot.log" 2>&1
    # Later programs find the server through the prefix, so nothing else needs to be kept.
    : >"$state/loader.log"
    printf 'export WINEPREFIX=%q DISPLAY=%q WINEDEBUG=-all WINEDLLOVERRIDES=%q LUMIVANE_WINE_SESSION=1 LUMIVANE_WINE_LOG=%q\n' \
        "$prefix" "$display" "mscoree,mshtml=" "$state/loader.log"
}

# True while the process runs (a zombie waiting to be reaped counts as ended) and, when a
# program name is given, runs that program: a recorded id may have been reused since.
is_running() {
    local status
    status=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${status#Z}" = "$status" ] || return 1
    [ -z "${2:-}" ] || [ "$(ps -o comm= -p "$1" 2>/dev/null)" = "$2" ]
}

stop_pid() {
    local pid_file=$1 program=$2
    [ -f "$pid_file" ] || return 0
    local pid
    pid=$(cat "$pid_file")
    if is_running "$pid" "$program"; then
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            is_running "$pid" || break
            sleep 0.1
        done
        if is_running "$pid"; then kill -9 "$pid" 2>/dev/null || true; fi
    fi
    rm -f "$pid_file"
}

stop_session() {
    [ -d "$state" ] || return 0
    if [ -f "$state/wineserver.pid" ]; then
        # Ends the Windows programs still running in this session's own prefix, then the
        # server, which saves the registry on the way out.
        WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1 || true
        stop_pid "$state/wineserver.pid" wineserver64
    fi
    stop_pid "$state/xvfb.pid" Xvfb
}

case $action in
start) start_session ;;
stop) stop_session ;;
*) usage ;;
esac
