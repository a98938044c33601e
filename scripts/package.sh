#!/usr/bin/env bash
# Builds the x86 and x64 deliverables (unless --no-build) and packs the release zip:
#   dist/Lumivane-<version>.zip: x86/ and x64/ (Lumivane.dll, Peekster.exe), Lumivane.rc
#   and readme.txt, the text files with Windows line ends.
set -euo pipefail
. "$(dirname "$0")/lib/runner.sh"
cd "$LUMIVANE_ROOT"
version=$(sed -n 's/^#define LUMIVANE_VERSION "\(.*\)"$/\1/p' plugin/version.h)
[ -n "$version" ] || { echo "package: no version in plugin/version.h" >&2; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
  scripts/install-deps.sh
  for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" --target Lumivane Peekster
  done
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for arch in x86 x64; do
  mkdir -p "$stage/$arch" && cp "build/$(preset_of $arch)/plugin/Lumivane.dll" "build/$(preset_of $arch)/probe/Peekster.exe" "$stage/$arch/"
done
sed 's/$/\r/' examples/Lumivane.rc >"$stage/Lumivane.rc"
sed 's/$/\r/' docs/readme.txt >"$stage/readme.txt"

mkdir -p dist
zip_file=$PWD/dist/Lumivane-$version.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -X -r "$zip_file" x86 x64 Lumivane.rc readme.txt)
echo "package: $zip_file"
