#!/usr/bin/env bash
# What the plug-in costs: its passes under Wine against the bare system calls they must make,
# for the x64 and the x86 build in one run, the system calls it makes per pass, the native
# benchmarks of deciding one window and of loading the settings, and the sizes and DLL
# dependencies of the deliverables. Prints a report; exits non-zero when a step fails.

# Settings through the environment:
#   LUMIVANE_BENCH_REPEATS   pairs per build, window count and pass (default 15: 6 to 10 minutes)
#   LUMIVANE_BENCH_WINDOWS   window counts (default "50 200 500")
#   LUMIVANE_BENCH_ARCHS     builds (default "x64 x86"; x86 only where 32-bit code runs here:
#                            figures from the emulated guest would mean nothing)
#   LUMIVANE_BENCH_RELAY     window counts at which Wine's relay log counts the plug-in's calls
#                            (default: the smallest and the largest; empty: none)
#   LUMIVANE_BENCH_BUILD     build root holding native, win32 and win64 (default build)
#   LUMIVANE_BENCH_HOOKED    1: also the baseline with the switch's three event hooks installed
#   LUMIVANE_BENCH_INSHELL   1: also the baseline's passes run and timed as a plug-in of the shell
# The raw timings stay in BUILD/bench-run/ARCH/samples.txt (see bench/wine/measure.sh).
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh"
cd "$LUMIVANE_ROOT"

archs=${LUMIVANE_BENCH_ARCHS:-x64 x86} build_root=${LUMIVANE_BENCH_BUILD:-build}
case $build_root in /*) ;; *) build_root=$PWD/$build_root ;; esac
export LUMIVANE_BENCH_REPEATS LUMIVANE_BENCH_WINDOWS LUMIVANE_BENCH_RELAY LUMIVANE_BENCH_HOOKED \
  LUMIVANE_BENCH_INSHELL

scripts/install-deps.sh
if [[ " $archs " == *" x86 "* ]] && ! x86_runs_here; then
  echo "bench: 32-bit code does not run here ($why_no_x86); measuring the x64 build only" >&2 && archs=${archs//x86/}
fi

build() {
  echo "== building $1 in $build_root/$1" >&2
  cmake --preset "$1" -B "$build_root/$1" >/dev/null
  cmake --build "$build_root/$1" -j2 --target "${@:2}" >/dev/null
}
wine_targets=(Lumivane Peekster BLACKBOX target_app baseline LumivaneBaseline focus_timer)
build native decide_bench
for preset in win32 win64; do build $preset "${wine_targets[@]}"; done

work=$build_root/bench-run && mkdir -p "$build_root/bench-run"
trap 'session_stop "$work/wine"' EXIT
session_start "$work/wine"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M UTC')
for arch in $archs; do
  rm -rf "${work:?}/$arch"
  guarded bench/wine/measure.sh "$arch" "$build_root/$(preset_of "$arch")" "$work/$arch"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "Lumivane benchmark, $started, commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
  "$("$WINE" --version); load average $load_before at the start, $load_after at the end"
echo
bench/wine/report.sh "$work" $archs

echo
echo "Native benchmarks (product logic -O2 on the fake desktop; medians of 5 repetitions):"
echo "  DecideOneWindow: fold the path, 50 entries and 50 exclusions, worst case; ns per window"
echo "  LoadSettings: the whole 50-entry table read through the fake host's reader; us per load"
"$build_root/native/bench/decide_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true 2>/dev/null |
  awk '/_median / { printf "  %-28s %10s %s\n", $1, $2, $3 }'

echo
echo "Deliverables: size in bytes, and the DLLs each imports from"
for arch in x86 x64; do
  for file in plugin/Lumivane.dll probe/Peekster.exe; do
    path=$build_root/$(preset_of $arch)/$file
    printf '  %-3s %-13s %8d  %s\n' "$arch" "$(basename "$file")" "$(stat -c %s "$path")" \
      "$("$(objdump_of $arch)" -p "$path" | sed -n 's/^[[:space:]]*DLL Name: //p' | paste -sd ' ')"
  done
done
