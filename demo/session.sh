# Sourced by scripts/demo.sh: the display, the compositor and the Wine server of one demo
# run, and stopping all of it again by process id.
#
#   start_display LOG_DIR        a private Xvfb (exports DISPLAY)
#   start_compositor LOG_DIR     xcompmgr on DISPLAY, which blends translucent windows
#   start_wine PREFIX LOG_DIR    a wineserver for PREFIX (created when new), kept alive
#                                between programs
#   started PID                  records a process to stop at the end
#   stop_everything              ends what was started, newest first

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
started_pids=()
wine_prefix=

started() {
    started_pids+=("$1")
}

# True while the process runs; a zombie waiting to be reaped counts as ended. Reads /proc
# directly: a bare Debian has no ps.
is_running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    # The state follows the program name, which is in parentheses and may hold blanks.
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

stop_pid() {
    is_running "$1" || return 0
    kill "$1" 2>/dev/null || true
    for _ in $(seq 30); do
        is_running "$1" || return 0
        sleep 0.1
    done
    kill -9 "$1" 2>/dev/null || true
}

stop_everything() {
    # The Windows programs all run in this run's own prefix: its server ends them first.
    if [ -n "$wine_prefix" ]; then
        WINEPREFIX=$wine_prefix timeout 20 "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    local i
    for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
        stop_pid "${started_pids[i]}"
    done
    started_pids=()
}

# Xvfb picks a free display number itself and writes it to the descriptor once it accepts
# clients, so two runs on one machine never race for a number.
start_display() {
    local number_file=$1/display
    : >"$number_file"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$number_file" \
        >"$1/xvfb.log" 2>&1 &
    started $!
    for _ in $(seq 100); do
        if grep -q '^[0-9]' "$number_file"; then
            export DISPLAY=":$(head -n1 "$number_file")"
            return 0
        fi
        sleep 0.1
    done
    echo "demo: Xvfb did not start, see $1/xvfb.log" >&2
    return 1
}

# Without a compositor, X shows every window opaque. Wine hands a window's alpha to the
# compositor as _NET_WM_WINDOW_OPACITY, which xcompmgr honours.
start_compositor() {
    xcompmgr >"$1/xcompmgr.log" 2>&1 &
    local pid=$!
    sleep 0.3
    if is_running "$pid"; then
        started "$pid"
    else
        # On the caller's display another compositor may already be at work.
        echo "demo: xcompmgr did not stay up ($(head -n1 "$1/xcompmgr.log")); going on without it"
    fi
}

start_wine() {
    wine_prefix=$1
    mkdir -p "$wine_prefix"
    export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # -f keeps the server in the foreground of its own background job, so its id is known;
    # -p keeps it alive between programs, which then start in well under a second.
    "$WINESERVER" -f -p >"$2/wineserver.log" 2>&1 &
    started $!
    if [ ! -f "$wine_prefix/system.reg" ]; then
        echo "   creating the Wine prefix $wine_prefix (once, takes a while)"
        "$WINE" wineboot --init >"$2/wineboot.log" 2>&1
    fi
}
