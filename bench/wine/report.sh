#!/usr/bin/env bash
# Prints the Wine half of the benchmark report from what bench/wine/measure.sh wrote in
# WORK_ROOT/ARCH/ for each build named:   bench/wine/report.sh WORK_ROOT ARCH...
set -euo pipefail

root=$1 archs=("${@:2}")

# Targets for the ratio at the largest window count, by pass.
target_of() { case $1 in focus) echo 0.15 ;; *) echo 0.65 ;; esac; }

samples=$(for arch in "${archs[@]}"; do cat "$root/$arch/samples.txt"; done)
counts=$(echo "$samples" | awk '{ print $2 }' | sort -n | uniq | paste -sd ' ')
largest=${counts##* }
repeats=$(echo "$samples" | awk '{ print $4 }' | sort -n | tail -n1)
has_hooked=$(echo "$samples" | awk '$7 != "-" { print 1; exit }')
has_inshell=$(echo "$samples" | awk '$8 != "-" { print 1; exit }')

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
quartile() { sort -g | awk -v q="$1" '{ v[NR] = $1 } END { k = int(q * (NR - 1)) + 1; print v[k] }'; }
# Field k of the samples of one build, window count and pass.
column() { echo "$samples" | awk -v a="$1" -v c="$2" -v p="$3" -v k="$4" '$1 == a && $2 == c && $3 == p { print $k }'; }
# Field n over field d, pair by pair.
ratios() { echo "$samples" | awk -v a="$1" -v c="$2" -v p="$3" -v n="$4" -v d="$5" '$1 == a && $2 == c && $3 == p && $d > 0 { print $n / $d }'; }
# "median (first quartile-third quartile)" of a list of numbers, with a printf format.
spread() {
  local values format=$1 && values=$(cat)
  printf "$format ($format-$format)" "$(echo "$values" | median)" \
    "$(echo "$values" | quartile 0.25)" "$(echo "$values" | quartile 0.75)"
}
trim() { local line=$1; echo "${line%"${line##*[! ]}"}"; }

echo "Passes under Wine, $repeats pairs per build, window count and pass: median (interquartile range)."
echo "on = turning the effect on (hooks and the ALWAYS pass), off = turning it off (unhooking"
echo "and the restore pass), focus = one steady foreground change (every window already at"
echo "its level but the old and the new foreground window). ratio = plug-in / baseline within"
echo "each pair; of minima = fastest plug-in time / fastest baseline time; us/window = plug-in"
echo "median / windows; target: the ratio the median must not pass at $largest windows."
echo
header=$(printf '%-5s %-7s %-5s %-24s %-24s %-21s %9s %9s  %-14s' build windows pass \
  "plug-in ms" "baseline ms" ratio "of minima" us/window target)
[ -z "$has_hooked" ] || header+=$(printf '   %-24s %-21s' "baseline+hooks ms" "ratio to it")
[ -z "$has_inshell" ] || header+=$(printf '   %-24s %-21s' "in-shell baseline ms" "ratio to it")
trim "$header"
for arch in "${archs[@]}"; do
  for count in $counts; do
    for pass in on off focus; do
      [ -n "$(column "$arch" "$count" $pass 5)" ] || continue
      verdict= && [ "$count" != "$largest" ] ||
        verdict=$(awk -v r="$(ratios "$arch" "$count" $pass 5 6 | median)" -v t="$(target_of $pass)" \
          'BEGIN { printf "<= %s %s", t, (r <= t ? "met" : "MISSED") }')
      line=$(printf '%-5s %-7s %-5s %-24s %-24s %-21s %9.3f %9.1f  %-14s' "$arch" "$count" $pass \
        "$(column "$arch" "$count" $pass 5 | spread %.1f)" \
        "$(column "$arch" "$count" $pass 6 | spread %.1f)" \
        "$(ratios "$arch" "$count" $pass 5 6 | spread %.3f)" \
        "$(awk -v p="$(column "$arch" "$count" $pass 5 | quartile 0)" \
               -v b="$(column "$arch" "$count" $pass 6 | quartile 0)" 'BEGIN { print p / b }')" \
        "$(awk -v m="$(column "$arch" "$count" $pass 5 | median)" -v n="$count" 'BEGIN { print m * 1000 / n }')" \
        "$verdict")
      for k in ${has_hooked:+7} ${has_inshell:+8}; do
        if [ "$(column "$arch" "$count" $pass $k | head -n1)" = - ]; then line+=$(printf '   %-24s %-21s' - -)
        else line+=$(printf '   %-24s %-21s' "$(column "$arch" "$count" $pass $k | spread %.1f)" \
          "$(ratios "$arch" "$count" $pass 5 $k | spread %.3f)"); fi
      done
      trim "$line"
    done
  done
done

echo
echo "What the baseline's last pass of each kind found and wrote: windows enumerated, named"
echo "(executable read), style writes (SetWindowLongA), layered-attribute writes:"
for arch in "${archs[@]}"; do
  for count in $counts; do
    for pass in on off focus; do
      awk -v a="$arch" -v c="$count" -v p=$pass '$1 == a && $2 == c && $4 == p { last = $0 }
        END { if (last == "") exit; split(last, f, " ")
          printf "  %-4s %5d windows, %-5s: %4s enumerated, %4s named, %4s styled, %4s attributes\n",
            a, c, p, f[8], f[10], f[12], f[14] }' "$root/$arch/baseline.log"
    done
  done
done

echo
echo "The focus timer's own cost (raising an event no hook takes, and its answer), median:"
for arch in "${archs[@]}"; do printf '  %-4s %.3f ms\n' "$arch" "$(awk '{ print $3 }' "$root/$arch/idle.txt" | median)"; done

# Where the time goes: for one build and pass, the plug-in's calls from the relay log
# beside the baseline's calls and what each cost the baseline, per call.
where_time_goes() {
  local arch=$1 pass=$2 profile=$root/$1/profile-$largest.txt relay=$root/$1/relay-$largest.txt
  [ -f "$profile" ] && [ -f "$relay" ] || return 0
  echo "  $arch $pass: plug-in $(column "$arch" "$largest" $pass 5 | median) ms," \
    "baseline $(column "$arch" "$largest" $pass 6 | median) ms (medians of the pairs)"
  printf '    %-28s %9s %9s %9s %12s\n' function plug-in baseline us/call "plug-in ms"
  awk -v p=$pass '
    FILENAME == ARGV[1] && $1 == "baseline" { current = $2; next }
    FILENAME == ARGV[1] && $1 == "call" && current == p { base[$2] = $3; cost[$2] = $7; names[$2] = 1; next }
    FILENAME == ARGV[1] && $1 == "price" && current == p { cost[$2] = $7; next }
    FILENAME == ARGV[2] && $1 == p { plugin[$2] = $3; names[$2] = 1 }
    END {
      for (n in names)
        printf "%s %d %d %s %s\n", n, plugin[n], base[n], (n in cost) ? cost[n] : "-", (n in cost) ? plugin[n] * cost[n] : -1
    }' "$profile" "$relay" | sort -k2,2nr -k1,1 | awk '
    { if ($5 >= 0) { total += $5 / 1000; est = sprintf("%.1f", $5 / 1000) } else est = "-"
      if ($4 != "-") base_total += $3 * $4 / 1000
      printf "    %-28s %9d %9d %9s %12s\n", $1, $2, $3, $4, est }
    END { printf "    %-28s %9s %9s %9s %12.1f\n", "plug-in calls at these prices", "", "", "", total
          printf "    %-28s %9s %9s %9s %12.1f\n", "baseline calls at these prices", "", "", "", base_total
          printf "    %-28s %9s %9s %9s %12.3f\n", "ratio at these prices", "", "", "", total / base_total }'
}

# The plug-in's calls were counted only where measure.sh made a relay log.
ls "$root"/*/relay-*.txt >/dev/null 2>&1 || exit 0

echo
echo "Where the time goes at $largest windows: the plug-in's system calls in one pass of each kind"
echo "(Wine's relay log of a shell of its own), the baseline's (its own counters, one profiled"
echo "pass), what each call cost the baseline in that pass, and what the plug-in's calls would"
echo "cost at that price. The window-property calls of the plug-in's records are priced by"
echo "the profiled pass on every window it named, apart from the pass; \"-\": not priced."
echo "The ratio at these prices is what the plug-in's calls would cost against the baseline's"
echo "if every call cost what it did in that one pass: the pair ratio without the noise."
for arch in "${archs[@]}"; do for pass in on off focus; do where_time_goes "$arch" $pass; done; done

echo
echo "Executable lookups (OpenProcess) the plug-in made per pass, by window count:"
for arch in "${archs[@]}"; do
  line="  $arch"
  for relay in $(ls "$root/$arch"/relay-*.txt 2>/dev/null | sort -t- -k2n); do
    count=${relay##*/relay-} && count=${count%.txt}
    line+=$(awk -v c="$count" '$2 == "OpenProcess" { n[$1] = $3 }
      END { printf "   %d windows: on %d, off %d, focus %d;", c, n["on"], n["off"], n["focus"] }' "$relay")
  done
  echo "${line%;}"
done
