#!/usr/bin/env bash
# What the plug-in costs: its passes under Wine against the bare system calls they must make,
# for the x64 and the x86 build in one run, the system calls it makes per pass, the native
# benchmarks of deciding one window and of loading the settings, and the sizes and DLL
# dependencies of the deliverables. Prints a report; exits non-zero when a step fails.
#
#   scripts/bench.sh
#
# Settings through the environment:
#   LUMIVANE_BENCH_REPEATS   pairs measured per build, window count and pass (default 15;
#                            a run takes 6 to 10 minutes on two busy cores)
#   LUMIVANE_BENCH_WINDOWS   window counts (default "50 200 500")
#   LUMIVANE_BENCH_ARCHS     builds to measure (default "x64 x86"; x86 needs a kernel that
#                            runs 32-bit code)
#   LUMIVANE_BENCH_RELAY     window counts at which the plug-in's system calls are counted
#                            from Wine's relay log (default: the smallest and the largest;
#                            empty: none)
#   LUMIVANE_BENCH_BUILD     build root holding native, win32 and win64 (default build)
#   LUMIVANE_BENCH_HOOKED    1: each toggle pair also measures the baseline with the switch's
#                            three window event hooks installed around it, as turning on does
#   LUMIVANE_BENCH_INSHELL   1: each pair also measures the baseline's passes run as a plug-in
#                            of the shell and timed by it, as the plug-in is
# The raw timings stay in BUILD/bench-run/ARCH/samples.txt (see bench/wine/measure.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

archs=${LUMIVANE_BENCH_ARCHS:-x64 x86}
build_root=${LUMIVANE_BENCH_BUILD:-build}
case $build_root in /*) ;; *) build_root=$root/$build_root ;; esac
native_dir=$build_root/native
win32_dir=$build_root/win32
win64_dir=$build_root/win64
export LUMIVANE_BENCH_REPEATS LUMIVANE_BENCH_WINDOWS LUMIVANE_BENCH_RELAY LUMIVANE_BENCH_HOOKED \
  LUMIVANE_BENCH_INSHELL
WINE=/usr/lib/wine/wine64

scripts/install-deps.sh

if [[ " $archs " == *" x86 "* ]] && [ -x scripts/can-run-x86.sh ] && ! scripts/can-run-x86.sh; then
  echo "bench: this kernel cannot run 32-bit code; measuring the x64 build only" >&2
  archs=${archs//x86/}
fi

build() {
  local preset=$1 dir=$2
  shift 2
  echo "== building $preset in $dir" >&2
  cmake --preset "$preset" -B "$dir" >/dev/null
  cmake --build "$dir" -j2 --target "$@" >/dev/null
}
wine_targets=(Lumivane Peekster BLACKBOX target_app baseline LumivaneBaseline focus_timer)
build native "$native_dir" decide_bench
build win32 "$win32_dir" "${wine_targets[@]}"
build win64 "$win64_dir" "${wine_targets[@]}"

work=$build_root/bench-run
session_dir=$work/wine
mkdir -p "$work"
session_started=
trap '[ -z "$session_started" ] || scripts/wine-session.sh stop "$session_dir"' EXIT
eval "$(scripts/wine-session.sh start "$session_dir")"
session_started=1

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M UTC')
for arch in $archs; do
  if [ "$arch" = x86 ]; then dir=$win32_dir; else dir=$win64_dir; fi
  rm -rf "${work:?}/$arch"
  bench/wine/measure.sh "$arch" "$dir" "$work/$arch"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "Lumivane benchmark, $started, commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
  "$("$WINE" --version); load average $load_before at the start, $load_after at the end"
echo
# shellcheck disable=SC2086
bench/wine/report.sh "$work" $archs

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
