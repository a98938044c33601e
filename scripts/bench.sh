#!/usr/bin/env bash
# What the plug-in costs: its passes under Wine against the bare system calls they must make,
# the native benchmarks of deciding one window and of loading the settings, and the sizes
# and DLL dependencies of the deliverables. Prints a report; exits non-zero when a step fails.
#
#   scripts/bench.sh
#
# Settings through the environment:
#   LUMIVANE_BENCH_REPEATS   pairs measured per window count (default 9; a run takes 5 to 9
#                            minutes on two busy cores)
#   LUMIVANE_BENCH_WINDOWS   window counts (default "50 200 500")
#   LUMIVANE_BENCH_BUILD     build root holding native, win32 and win64 (default build)
#   LUMIVANE_BENCH_HOOKED    1: each pair also measures the baseline with the switch's three
#                            window event hooks installed around it, as turning on does
#   LUMIVANE_BENCH_INSHELL   1: each pair also measures the baseline's passes run as a plug-in
#                            of the shell and timed by it, as the plug-in is
# The raw timings stay in BUILD/win64/bench-run/samples.txt (windows, pair, then on and off
# for the plug-in, the baseline, the hooked and the in-shell baseline, "-" where not
# measured; milliseconds).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

repeats=${LUMIVANE_BENCH_REPEATS:-9}
counts=${LUMIVANE_BENCH_WINDOWS:-50 200 500}
hooked=${LUMIVANE_BENCH_HOOKED:-0}
inshell=${LUMIVANE_BENCH_INSHELL:-0}
build_root=${LUMIVANE_BENCH_BUILD:-build}
case $build_root in /*) ;; *) build_root=$root/$build_root ;; esac
native_dir=$build_root/native
win32_dir=$build_root/win32
win64_dir=$build_root/win64

# Ten processes share the windows; every window gets this level when the effect is on.
PROCESSES=10
LEVEL=200
WINE=/usr/lib/wine/wine64

scripts/install-deps.sh

build() {
  local preset=$1 dir=$2
  shift 2
  echo "== building $preset in $dir" >&2
  cmake --preset "$preset" -B "$dir" >/dev/null
  cmake --build "$dir" -j2 --target "$@" >/dev/null
}
build native "$native_dir" decide_bench
build win32 "$win32_dir" Lumivane Peekster
build win64 "$win64_dir" Lumivane Peekster BLACKBOX target_app baseline LumivaneBaseline

work=$win64_dir/bench-run
stage_win='C:\lumivane-bench'
session_dir=$work/wine
samples=$work/samples.txt
mkdir -p "$work"

start_apps() {
  local per_app=$1 p w
  rm -f "$work/apps.in"
  mkfifo "$work/apps.in"
  apps_pids=()
  for p in $(seq 1 "$PROCESSES"); do
    local args=()
    for w in $(seq 1 "$per_app"); do args+=(--visible "app$p-window$w"); done
    "$WINE" "$stage_win\\applications\\target_app.exe" "${args[@]}" \
      <"$work/apps.in" >"$work/app$p.log" 2>&1 &
    apps_pids+=($!)
  done
  # The apps quit when their input ends: this script holds it open until then.
  exec 7>"$work/apps.in"
  local logs=()
  for p in $(seq 1 "$PROCESSES"); do logs+=("$work/app$p.log"); done
  wait_for_lines ready "${logs[@]}"
}

stop_apps() {
  [ ${#apps_pids[@]} -gt 0 ] || return 0
  exec 7>&-
  local pid
  for pid in "${apps_pids[@]}"; do
    wait_for_exit "$pid" || kill "$pid" 2>/dev/null || true
  done
  apps_pids=()
  rm -f "$work/apps.in"
}

# The baselines serve passes from warm processes, as the shell is one: the plain one, and
# the one with the switch's hooks. Each reads commands from a FIFO and answers on another.
start_baseline() {
  local name=$1
  shift
  rm -f "$work/$name.in" "$work/$name.out"
  mkfifo "$work/$name.in" "$work/$name.out"
  "$WINE" "$stage_win\\baseline.exe" "$@" --serve <"$work/$name.in" >"$work/$name.out" &
  baseline_pids+=($!)
}
stop_baselines() {
  [ -z "$plain_in" ] || exec {plain_in}>&- {plain_out}<&-
  [ -z "$hooked_in" ] || exec {hooked_in}>&- {hooked_out}<&-
  plain_in= hooked_in=
  local pid
  for pid in "${baseline_pids[@]}"; do
    wait_for_exit "$pid" || kill "$pid" 2>/dev/null || true
  done
  baseline_pids=()
}

# Everything this script starts is recorded here and stopped on the way out.
host_pid=
apps_pids=()
baseline_pids=()
plain_in= hooked_in=
session_started=
cleanup() {
  set +e
  stop_apps
  stop_baselines
  if [ -n "$host_pid" ]; then
    "$WINE" "$stage_win\\BLACKBOX.EXE" -quit >/dev/null 2>&1 || true
    wait_for_exit "$host_pid" || kill "$host_pid" 2>/dev/null || true
    host_pid=
  fi
  [ -z "$session_started" ] || scripts/wine-session.sh stop "$session_dir"
}
trap cleanup EXIT

wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Waits up to 60 s for every file named to hold a whole line matching the pattern $1.
wait_for_lines() {
  local line=$1
  shift
  for _ in $(seq 600); do
    local missing=0 file
    for file in "$@"; do
      grep -qxE "$line" "$file" 2>/dev/null || missing=1
    done
    [ $missing -eq 1 ] || return 0
    sleep 0.1
  done
  echo "bench: timed out waiting for '$line' in $*" >&2
  return 1
}

eval "$(scripts/wine-session.sh start "$session_dir")"
session_started=1

# The shell, the plug-in and the target app live on drive C, so that their paths are short
# enough for the fragments to be read within the first 49 characters.
stage=$WINEPREFIX/drive_c/lumivane-bench
rm -rf "$stage"
mkdir -p "$stage/plugins/Lumivane" "$stage/applications"
cp "$win64_dir/host/BLACKBOX.EXE" "$stage/"
cp "$win64_dir/plugin/Lumivane.dll" "$stage/plugins/Lumivane/"
cp "$win64_dir/tests/e2e/target_app.exe" "$stage/applications/"
cp "$win64_dir/bench/wine/baseline.exe" "$stage/"
printf 'plugins\\Lumivane\\Lumivane.dll\r\n' >"$stage/plugins.rc"
if [ "$inshell" = 1 ]; then
  mkdir -p "$stage/plugins/LumivaneBaseline"
  cp "$win64_dir/bench/wine/LumivaneBaseline.dll" "$stage/plugins/LumivaneBaseline/"
  printf 'plugins\\LumivaneBaseline\\LumivaneBaseline.dll\r\n' >>"$stage/plugins.rc"
fi

# The worst case for the plug-in's own work: every window is decided by the last of 50
# entries, after 49 fragments that each match a few characters of the path before failing,
# and all 50 exclusions are searched without a match. Windows of other programs (the shell,
# Wine's own) fall to the global rule, also ALWAYS, so every window is worked on.
# The target's folded path is C:\LUMIVANE-BENCH\APPLICATIONS\TARGET_APP.EXE.
{
  printf 'Lumivane.plugin.global: ALWAYS\r\n'
  printf 'Lumivane.plugin.globallevel: %d\r\n' "$LEVEL"
  for i in $(seq 0 49); do
    if [ "$i" -lt 49 ]; then app=$(printf 'applica%02d' "$i"); else app=target_ap; fi
    printf 'Lumivane.plugin.appname%d: %s\r\n' "$i" "$app"
    printf 'Lumivane.plugin.rule%d: ALWAYS\r\n' "$i"
    printf 'Lumivane.plugin.level%d: %d\r\n' "$i" "$LEVEL"
    printf 'Lumivane.plugin.exclude%d: lumivan%02d\r\n' "$i" "$i"
  done
} >"$stage/plugins/Lumivane/Lumivane.rc"

# The shell runs for the whole benchmark; the plug-in starts with the effect on and is
# switched off before any target window opens, so no creation event adds to the figures.
"$WINE" "$stage_win\\BLACKBOX.EXE" >"$work/host.log" 2>&1 &
host_pid=$!
wait_for_lines 'beginPlugin .*\\Lumivane\.dll = 0' "$work/host.log"
[ "$inshell" = 0 ] || wait_for_lines 'beginPlugin .*\\LumivaneBaseline\.dll = 0' "$work/host.log"
"$WINE" "$stage_win\\BLACKBOX.EXE" -exec @LumivaneTog >/dev/null

# Milliseconds of one timed toggle of the plug-in.
plugin_ms() {
  "$WINE" "$stage_win\\BLACKBOX.EXE" -time -exec @LumivaneTog |
    sed -n 's/^delivered @LumivaneTog in \([0-9.]*\) ms$/\1/p'
}

# Milliseconds of one baseline pass run inside the shell ("on LEVEL" or "off").
inshell_ms() {
  "$WINE" "$stage_win\\BLACKBOX.EXE" -time -exec @LumivaneBaseline "$@" |
    sed -n 's/^delivered @LumivaneBaseline .* in \([0-9.]*\) ms$/\1/p'
}

# Milliseconds of one baseline pass (plain or hooked, then "on LEVEL" or "off"); its counts
# go to the log.
baseline_ms() {
  local in out line
  if [ "$1" = hooked ]; then in=$hooked_in out=$hooked_out; else in=$plain_in out=$plain_out; fi
  shift
  echo "$*" >&"$in"
  IFS= read -r -t 300 line <&"$out" || { echo "bench: the baseline did not answer" >&2; return 1; }
  line=${line%$'\r'}
  echo "$count $line" >>"$work/baseline.log"
  echo "$line" | sed -n 's/^baseline [a-z]* \([0-9.]*\) ms .*/\1/p'
}

# One pair: the plug-in on and off, the baseline on and off (and the hooked and in-shell
# baselines when asked for), in alternating order so that drift in the machine's load
# falls on both sides. Prints the times in that order; "-" for what was not measured.
measure_pair() {
  local first=$1 p_on p_off b_on b_off h_on=- h_off=- s_on=- s_off=-
  if [ "$first" = plugin ]; then p_on=$(plugin_ms); p_off=$(plugin_ms); fi
  b_on=$(baseline_ms plain on "$LEVEL"); b_off=$(baseline_ms plain off)
  if [ "$hooked" = 1 ]; then h_on=$(baseline_ms hooked on "$LEVEL"); h_off=$(baseline_ms hooked off); fi
  if [ "$inshell" = 1 ]; then s_on=$(inshell_ms on "$LEVEL"); s_off=$(inshell_ms off); fi
  if [ "$first" != plugin ]; then p_on=$(plugin_ms); p_off=$(plugin_ms); fi
  local value
  for value in "$p_on" "$p_off" "$b_on" "$b_off" "$h_on" "$h_off" "$s_on" "$s_off"; do
    [ -n "$value" ] || { echo "bench: a pass printed no time" >&2; return 1; }
  done
  echo "$p_on $p_off $b_on $b_off $h_on $h_off $s_on $s_off"
}

: >"$samples"
: >"$work/baseline.log"
start_baseline plain
exec {plain_in}>"$work/plain.in" {plain_out}<"$work/plain.out"
if [ "$hooked" = 1 ]; then
  start_baseline hooked --hooks
  exec {hooked_in}>"$work/hooked.in" {hooked_out}<"$work/hooked.out"
fi
for count in $counts; do
  echo "== $count windows over $PROCESSES processes, $repeats pairs" >&2
  start_apps $((count / PROCESSES))
  # One pair untimed, so that every program's code and Wine's caches are warm.
  measure_pair plugin >/dev/null
  for r in $(seq 1 "$repeats"); do
    if [ $((r % 2)) -eq 1 ]; then first=plugin; else first=baseline; fi
    pair=$(measure_pair $first)
    echo "$count $r $pair" >>"$samples"
  done
  # Where the time of the system calls goes, at the largest count.
  if [ "$count" = "${counts##* }" ]; then
    "$WINE" "$stage_win\\baseline.exe" --profile on "$LEVEL" >"$work/profile.txt"
    "$WINE" "$stage_win\\baseline.exe" --profile off >>"$work/profile.txt"
  fi
  stop_apps
done
stop_baselines

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
quartile() { sort -g | awk -v q="$1" '{ v[NR] = $1 } END { k = int(q * (NR - 1)) + 1; print v[k] }'; }
# Field k of the samples of one window count.
column() { awk -v c="$1" -v k="$2" '$1 == c { print $k }' "$samples"; }
# Field p over field b, pair by pair.
ratios() { awk -v c="$1" -v p="$2" -v b="$3" '$1 == c && $b > 0 { print $p / $b }' "$samples"; }
# "median (first quartile-third quartile)" of a list of numbers, with a printf format.
spread() {
  local values format=$1
  values=$(cat)
  printf "$format ($format-$format)" "$(echo "$values" | median)" \
    "$(echo "$values" | quartile 0.25)" "$(echo "$values" | quartile 0.75)"
}

echo
echo "Lumivane benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1), $("$WINE" --version)"
echo
echo "Passes under Wine, $repeats pairs per window count: median (interquartile range)."
echo "on = turning the effect on (hooks and the ALWAYS pass), off = turning it off (unhooking"
echo "and the restore pass). ratio = plug-in / baseline within each pair; of minima = fastest"
echo "plug-in time / fastest baseline time, what each costs when the machine leaves it alone;"
echo "us/window = plug-in median / windows."
echo
header=$(printf '%-7s %-4s %-24s %-24s %-21s %9s %9s' windows pass "plug-in ms" "baseline ms" ratio "of minima" us/window)
[ "$hooked" = 1 ] && header+=$(printf '   %-24s %-21s' "baseline+hooks ms" "ratio to it")
[ "$inshell" = 1 ] && header+=$(printf '   %-24s %-21s' "in-shell baseline ms" "ratio to it")
echo "${header%"${header##*[! ]}"}"
for count in $counts; do
  for pass in on off; do
    if [ $pass = on ]; then p=3 b=5 h=7 i=9; else p=4 b=6 h=8 i=10; fi
    line=$(printf '%-7s %-4s %-24s %-24s %-21s %9.3f %9.1f' "$count" "$pass" \
      "$(column "$count" $p | spread %.1f)" "$(column "$count" $b | spread %.1f)" \
      "$(ratios "$count" $p $b | spread %.3f)" \
      "$(awk -v p="$(column "$count" $p | quartile 0)" -v b="$(column "$count" $b | quartile 0)" 'BEGIN { print p / b }')" \
      "$(awk -v m="$(column "$count" $p | median)" -v n="$count" 'BEGIN { print m * 1000 / n }')")
    if [ "$hooked" = 1 ]; then
      line+=$(printf '   %-24s %-21s' "$(column "$count" $h | spread %.1f)" \
        "$(ratios "$count" $p $h | spread %.3f)")
    fi
    if [ "$inshell" = 1 ]; then
      line+=$(printf '   %-24s %-21s' "$(column "$count" $i | spread %.1f)" \
        "$(ratios "$count" $p $i | spread %.3f)")
    fi
    echo "${line%"${line##*[! ]}"}"
  done
done
echo
echo "Windows the last baseline passes of each count enumerated, could name, and changed:"
for count in $counts; do
  for pass in on off; do
    awk -v c="$count" -v p=$pass '$1 == c && $3 == p { last = $0 } END { split(last, f, " ");
      printf "  %5d windows, %-3s: %s enumerated, %s named, %s changed\n", c, p, f[7], f[9], f[11] }' \
      "$work/baseline.log"
  done
done

echo
echo "Where the baseline's time goes, $PROCESSES processes, ${counts##* } windows (one pass each way):"
tr -d '\r' <"$work/profile.txt" | sed 's/^/  /'
echo
echo "Native benchmarks (product logic -O2 on the fake desktop; medians of 5 repetitions):"
echo "  DecideOneWindow: fold the path, 50 entries and 50 exclusions, worst case; ns per window"
echo "  LoadSettings: the whole 50-entry table read through the fake host's reader; us per load"
"$native_dir/bench/decide_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  2>/dev/null | awk '/_median / { printf "  %-28s %10s %s\n", $1, $2, $3 }'

echo
echo "Deliverables: size in bytes, and the DLLs each imports from"
for arch in win32 win64; do
  if [ $arch = win32 ]; then objdump=i686-w64-mingw32-objdump dir=$win32_dir label=x86
  else objdump=x86_64-w64-mingw32-objdump dir=$win64_dir label=x64; fi
  for file in plugin/Lumivane.dll probe/Peekster.exe; do
    printf '  %-3s %-13s %8d  %s\n' "$label" "$(basename "$file")" "$(stat -c %s "$dir/$file")" \
      "$("$objdump" -p "$dir/$file" | sed -n 's/^[[:space:]]*DLL Name: //p' | paste -sd ' ')"
  done
done

