#!/usr/bin/env bash
# Builds the x86 and x64 deliverables (unless --no-build) and packs the release zip:
#   dist/Lumivane-<version>.zip: x86/ and x64/ (Lumivane.dll, Peekster.exe), Lumivane.rc
#   and readme.txt, the text files with Windows line ends.
set -euo pipefail
cd "$(dirname "$0")/.."
version=0.7b

if [ "${1:-}" != "--no-build" ]; then
  scripts/install-deps.sh
  for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Lumivane Peekster
  done
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage
for pair in win32:x86 win64:x64; do
  preset=${pair%%:*} arch=${pair##*:}
  mkdir -p "$top/$arch"
  cp "build/$preset/plugin/Lumivane.dll" "build/$preset/probe/Peekster.exe" "$top/$arch/"
done
sed 's/$/\r/' examples/Lumivane.rc >"$top/Lumivane.rc"
sed 's/$/\r/' docs/readme.txt >"$top/readme.txt"

mkdir -p dist
zip_file=$(pwd)/dist/Lumivane-$version.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" x86 x64 Lumivane.rc readme.txt)
echo "package: $zip_file"
