#!/usr/bin/env bash
# Unpacks the release zip and checks what a user gets: the files, the kind of each program,
# and text files with Windows line ends that match the sources.
set -euo pipefail
cd "$(dirname "$0")/../.."
zip_file=${1:-dist/Lumivane-0.7b.zip} failures=0
fail() { echo "check_zip: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d) && top=$work
trap 'rm -rf "$work"' EXIT
unzip -q "$zip_file" -d "$work"

expected=$(printf '%s\n' Lumivane.rc readme.txt x64/Lumivane.dll x64/Peekster.exe x86/Lumivane.dll x86/Peekster.exe)
actual=$(cd "$work" && find . -type f | sed 's#^\./##' | sort)
[ "$actual" = "$expected" ] || fail "contents differ:"$'\n'"$actual"

# objdump says "architecture: i386," of an x86 file and "architecture: i386:x86-64," of an x64 one.
for arch in x86:i386 x64:i386:x86-64; do
  dir=${arch%%:*} machine=${arch#*:}
  for file in Lumivane.dll Peekster.exe; do
    format=$(x86_64-w64-mingw32-objdump -f "$top/$dir/$file" 2>/dev/null | grep 'architecture:' || true)
    [[ $format == *"architecture: $machine,"* ]] || fail "$dir/$file is not $machine: $format"
  done
done

for pair in Lumivane.rc:examples/Lumivane.rc readme.txt:docs/readme.txt; do
  packed=$top/${pair%%:*} source=${pair##*:}
  cmp -s <(sed 's/$/\r/' "$source") "$packed" || fail "${pair%%:*} is not $source with CRLF line ends"
done
for topic in 'plugins.rc' 'Lumivanerc' '@LumivaneTog' 'ALWAYS' 'FOCUS' 'MOVING' 'Peekster' \
             'elevated' 'per-pixel' '32-bit shell' '64-bit shell'; do
  grep -q -- "$topic" "$top/readme.txt" || fail "readme.txt says nothing of $topic"
done

[ "$failures" = 0 ] || { echo "check_zip: $failures problem(s)" >&2; exit 1; }
echo "check_zip: $zip_file is complete"
