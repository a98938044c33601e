#!/usr/bin/env bash
# The Wine half of scripts/bench.sh for one build: the plug-in's passes against the bare
# system calls they must make, in pairs, and the plug-in's system calls counted from Wine's
# relay log. Runs inside a Wine session of scripts/lib/runner.sh (WINEPREFIX and DISPLAY set).

#   bench/wine/measure.sh ARCH BUILD_DIR WORK_DIR   (settings: LUMIVANE_BENCH_*, see scripts/bench.sh)
# Writes to WORK_DIR:
#   samples.txt        ARCH WINDOWS PASS PAIR PLUGIN BASELINE HOOKED INSHELL: milliseconds of
#                      each pass (on, off, focus) of each pair, "-" where not measured
#   baseline.log       ARCH WINDOWS and each line the baseline answered
#   idle.txt           ARCH WINDOWS MS: the focus timer's own cost, with no pass behind it
#   profile-N.txt      the baseline's calls and their cost, one pass of each kind, N windows
#   relay-N.txt        PASS FUNCTION CALLS: the plug-in's calls in one pass of each kind
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/runner.sh"

arch=$1 build_dir=$2 work=$3
repeats=${LUMIVANE_BENCH_REPEATS:-15} hooked=${LUMIVANE_BENCH_HOOKED:-0} inshell=${LUMIVANE_BENCH_INSHELL:-0}
counts=${LUMIVANE_BENCH_WINDOWS:-50 200 500}
relay_counts=${LUMIVANE_BENCH_RELAY-${counts%% *} ${counts##* }} largest=${counts##* }
# Ten processes share the windows; the rules take them to LEVEL (under FOCUS all but one).
PROCESSES=10 LEVEL=200
stage_win='C:\lumivane-bench' stage=$WINEPREFIX/drive_c/lumivane-bench objdump=$(objdump_of "$arch")
shell="$stage_win\\BLACKBOX.EXE"

mkdir -p "$work"
: >"$work/samples.txt" && : >"$work/baseline.log" && : >"$work/idle.txt"

wait_for_exit() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null && sleep 0.1 || return 0; done
  return 1
}

# Waits up to 60 s for every file named to hold a whole line matching the pattern $1.
wait_for_lines() {
  local line=$1 missing file
  shift
  for _ in $(seq 600); do
    missing=0 && for file in "$@"; do grep -qxE "$line" "$file" 2>/dev/null || missing=1; done
    [ $missing -eq 1 ] && sleep 0.1 || return 0
  done
  echo "bench: timed out waiting for '$line' in $*" >&2
  return 1
}

# The in-shell baseline is always loaded: its window is the focus timer's stopwatch.
rm -rf "$stage"
mkdir -p "$stage/plugins/Lumivane" "$stage/plugins/LumivaneBaseline" "$stage/applications"
cp "$build_dir/host/BLACKBOX.EXE" "$build_dir"/bench/wine/{baseline,focus_timer}.exe "$stage/"
cp "$build_dir/plugin/Lumivane.dll" "$stage/plugins/Lumivane/"
cp "$build_dir/bench/wine/LumivaneBaseline.dll" "$stage/plugins/LumivaneBaseline/"
cp "$build_dir/tests/e2e/target_app.exe" "$stage/applications/"
printf 'plugins\\Lumivane\\Lumivane.dll\r\nplugins\\LumivaneBaseline\\LumivaneBaseline.dll\r\n' \
  >"$stage/plugins.rc"

# The worst case: every window of C:\LUMIVANE-BENCH\APPLICATIONS\TARGET_APP.EXE is decided
# by the last of 50 entries, after 49 fragments that each match a few characters first, and
# 50 exclusions that never match; other programs' windows fall to the same global rule.
write_settings() {
  local rule=$1 i app
  {
    printf 'Lumivane.plugin.%s\r\n' "global: $rule" "globallevel: $LEVEL" "focuslevel: 255"
    for i in $(seq 0 49); do
      app=$(printf 'applica%02d' "$i") && [ "$i" -lt 49 ] || app=target_ap
      printf 'Lumivane.plugin.%s\r\n' "appname$i: $app" "rule$i: $rule" "level$i: $LEVEL" \
        "$(printf 'exclude%d: lumivan%02d' "$i" "$i")"
    done
  } >"$stage/plugins/Lumivane/Lumivane.rc"
}

host_pid= apps_pids=() server_pids=() baseline_in= hooked_in= timer_in=   # stopped on the way out

start_apps() {
  local per_app=$1 p w args logs=()
  rm -f "$work/apps.in" && mkfifo "$work/apps.in"
  apps_pids=() next_window=0
  for p in $(seq 1 "$PROCESSES"); do
    args=() && logs+=("$work/app$p.log")
    for w in $(seq 1 "$per_app"); do args+=(--visible "app$p-window$w"); done
    "$WINE" "$stage_win\\applications\\target_app.exe" "${args[@]}" \
      <"$work/apps.in" >"$work/app$p.log" 2>&1 &
    apps_pids+=($!)
  done
  # The apps quit when their input ends: this script holds it open until then.
  exec 7>"$work/apps.in"
  wait_for_lines ready "${logs[@]}"
  # The order foreground windows are taken in: one process after another, none twice.
  mapfile -t windows < <(for w in $(seq 1 "$per_app"); do
    for p in $(seq 1 "$PROCESSES"); do
      tr -d '\r' <"$work/app$p.log" | awk -v t="app$p-window$w" '$1 == "window" && $2 == t { print $3 }'
    done
  done)
}

stop_apps() {
  [ ${#apps_pids[@]} -gt 0 ] || return 0
  exec 7>&-
  stop_all "${apps_pids[@]}" && apps_pids=() && rm -f "$work/apps.in"
}

# The next window not yet brought forward (after all of them, the first again).
take_window() {
  window=${windows[next_window % ${#windows[@]}]} && next_window=$((next_window + 1))
}

# A program serving requests from warm through two FIFOs, on descriptors $1_in and $1_out.
start_server() {
  local name=$1 in out
  shift
  rm -f "$work/$name".{in,out} && mkfifo "$work/$name".{in,out}
  "$WINE" "$@" <"$work/$name.in" >"$work/$name.out" &
  server_pids+=($!)
  exec {in}>"$work/$name.in" {out}<"$work/$name.out"
  printf -v "${name}_in" %s "$in" && printf -v "${name}_out" %s "$out"
}

stop_servers() {
  local fd
  for fd in "$baseline_in" "$hooked_in" "$timer_in"; do [ -z "$fd" ] || exec {fd}>&-; done
  baseline_in= hooked_in= timer_in=
  stop_all "${server_pids[@]}" && server_pids=()
}

stop_all() {
  local pid
  for pid in "$@"; do wait_for_exit "$pid" || kill "$pid" 2>/dev/null || true; done
}

# Starts the shell with the settings of rule $1; WINEDEBUG and the log file may be given.
start_shell() {
  write_settings "$1"
  WINEDEBUG=${2:--all} "$WINE" "$shell" >"$work/host.log" 2>"${3:-/dev/null}" &
  host_pid=$!
  wait_for_lines 'beginPlugin .*\\Lumivane\.dll = 0' "$work/host.log"
  wait_for_lines 'beginPlugin .*\\LumivaneBaseline\.dll = 0' "$work/host.log"
}

stop_shell() {
  [ -n "$host_pid" ] || return 0
  "$WINE" "$shell" -quit >/dev/null 2>&1 || true
  # The quit runs the restore pass, which takes seconds with many windows.
  for _ in $(seq 6); do wait_for_exit "$host_pid" && break; done
  kill "$host_pid" 2>/dev/null || true && host_pid=
}

trap 'set +e; stop_servers; stop_shell; stop_apps' EXIT

plugin_ms() { "$WINE" "$shell" -time -exec @LumivaneTog | sed -n 's/^delivered @LumivaneTog in \([0-9.]*\) ms$/\1/p'; }

toggle() { "$WINE" "$shell" -exec @LumivaneTog >/dev/null; }
# New settings of rule $1, read by the shell, and the effect switched on again.
reconfigure() { write_settings "$1" && "$WINE" "$shell" -reconfigure >/dev/null && toggle; }

# Milliseconds of one baseline pass run inside the shell ("on LEVEL", "off", "focus ...").
inshell_ms() {
  "$WINE" "$shell" -time -exec @LumivaneBaseline "$@" |
    sed -n 's/^delivered @LumivaneBaseline .* in \([0-9.]*\) ms$/\1/p'
}

# Sends a line to a server ($1: baseline, hooked or timer) and reads its answer into $answer.
ask() {
  local in=${1}_in out=${1}_out
  echo "${*:2}" >&"${!in}"
  IFS= read -r -t 300 answer <&"${!out}" || { echo "bench: $1 did not answer" >&2; return 1; }
  answer=${answer%$'\r'}
}

# Milliseconds of one baseline pass ($1: baseline or hooked, then its command), logged.
baseline_ms() {
  ask "$@" && echo "$arch $count $answer" >>"$work/baseline.log"
  echo "$answer" | sed -n 's/^baseline [a-z]* \([0-9.]*\) ms .*/\1/p'
}

focus_ms() { ask timer "$1" && echo "$answer" | sed -n 's/^focus [0-9a-f]* \([0-9.]*\) ms$/\1/p'; }

check_times() {
  local value
  for value in "$@"; do [ -n "$value" ] || { echo "bench: a pass printed no time" >&2; return 1; }; done
}

# One pair of toggle passes, plug-in and baselines on and off, in the order $1 says, so that
# drift in the machine's load falls on both sides; each leaves every window as it began.
toggle_pair() {
  local first=$1 pair=$2 p_on p_off b_on b_off h_on=- h_off=- s_on=- s_off=-
  if [ "$first" = plugin ]; then p_on=$(plugin_ms); p_off=$(plugin_ms); fi
  b_on=$(baseline_ms baseline on "$LEVEL"); b_off=$(baseline_ms baseline off)
  if [ "$hooked" = 1 ]; then h_on=$(baseline_ms hooked on "$LEVEL"); h_off=$(baseline_ms hooked off); fi
  if [ "$inshell" = 1 ]; then s_on=$(inshell_ms on "$LEVEL"); s_off=$(inshell_ms off); fi
  if [ "$first" != plugin ]; then p_on=$(plugin_ms); p_off=$(plugin_ms); fi
  check_times "$p_on" "$p_off" "$b_on" "$b_off" "$h_on" "$h_off" "$s_on" "$s_off"
  [ "$pair" = 0 ] && return
  printf '%s\n' "$arch $count on $pair $p_on $b_on $h_on $s_on" \
    "$arch $count off $pair $p_off $b_off $h_off $s_off" >>"$work/samples.txt"
}

# One pair of steady FOCUS passes, plug-in and baselines, each to a window not yet brought
# forward: every pass changes two windows, the old foreground window and the new one.
focus_pair() {
  local first=$1 pair=$2 p b s=-
  if [ "$first" = plugin ]; then take_window; p=$(focus_ms "$window"); fi
  take_window; b=$(baseline_ms baseline focus "$window" "$LEVEL")
  if [ "$inshell" = 1 ]; then take_window; s=$(inshell_ms focus "$window" "$LEVEL"); fi
  if [ "$first" != plugin ]; then take_window; p=$(focus_ms "$window"); fi
  check_times "$p" "$b" "$s"
  [ "$pair" = 0 ] && return
  echo "$arch $count focus $pair $p $b - $s" >>"$work/samples.txt"
}

# Pairs 1 to repeats after an untimed pair 0 that warms the caches; odd ones start with the plug-in.
run_pairs() {
  local r
  for r in $(seq 0 "$repeats"); do
    if [ $((r % 2)) -eq 1 ] || [ "$r" = 0 ]; then "$1" plugin "$r"; else "$1" baseline "$r"; fi
  done
}

# The plug-in's calls in Wine's relay log of a shell of its own: start-up, off, on (counted),
# off (counted); under FOCUS: on, a first foreground change, a steady one (counted); off, quit.
count_calls() {
  local log=$work/relay.log size
  "$WINE" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
    /d 'user32.*;kernel32.*;kernelbase.*;psapi.*' /f >/dev/null 2>&1
  start_shell ALWAYS +relay "$log"
  start_server timer "$stage_win\\focus_timer.exe" --serve
  toggle; toggle; toggle
  reconfigure FOCUS
  take_window; ask timer "$window"
  take_window; ask timer "$window"
  toggle
  stop_servers; stop_shell
  "$WINE" reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
  size=$("$objdump" -p "$build_dir/plugin/Lumivane.dll" | sed -n 's/^SizeOfImage[[:space:]]*//p')
  awk -v module=Lumivane.dll -v size="$size" -f "$(dirname "$0")/relay_counts.awk" "$log" |
    awk '$2 == 3 { $2 = "on" } $2 == 4 { $2 = "off" } $2 == 7 { $2 = "focus" }
         $2 !~ /^[0-9]+$/ { print $2, $3, $4 }' >"$work/relay-$count.txt"
  rm -f "$log"
}

for count in $counts; do
  echo "== $arch: $count windows over $PROCESSES processes, $repeats pairs" >&2
  # Switched off before any target window opens: no creation event adds to the figures.
  start_shell ALWAYS && toggle
  start_apps $((count / PROCESSES))
  start_server baseline "$stage_win\\baseline.exe" --serve
  [ "$hooked" = 0 ] || start_server hooked "$stage_win\\baseline.exe" --hooks --serve
  start_server timer "$stage_win\\focus_timer.exe" --serve

  run_pairs toggle_pair
  if [ "$count" = "$largest" ]; then
    "$WINE" "$stage_win\\baseline.exe" --profile on "$LEVEL" >"$work/profile-$count.txt"
    "$WINE" "$stage_win\\baseline.exe" --profile off >>"$work/profile-$count.txt"
  fi

  # The steady FOCUS passes; the first one on each side brings every window to its level.
  reconfigure FOCUS
  run_pairs focus_pair
  for _ in 1 2 3 4 5; do
    ask timer idle && echo "$arch $count $answer" | sed -n 's/ idle \([0-9.]*\) ms$/ \1/p' >>"$work/idle.txt"
  done
  if [ "$count" = "$largest" ]; then
    take_window && "$WINE" "$stage_win\\baseline.exe" --profile focus "$window" "$LEVEL" >>"$work/profile-$count.txt"
  fi
  # Every window opaque again, from the plug-in's and from the baseline's passes.
  toggle && ask baseline off
  stop_servers; stop_shell

  [[ " $relay_counts " != *" $count "* ]] || count_calls
  stop_apps
done
