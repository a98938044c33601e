#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when they are
# missing and we are root. Safe to run again: it installs nothing that is already there.

# 32-bit Wine (wine32:i386) runs the x86 deliverables; where the kernel cannot, a QEMU guest
# does (scripts/qemu-guest.sh, which fetches Debian's kernel), so its packages come too.
set -euo pipefail

packages=(cmake g++ make libgtest-dev libbenchmark-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xcompmgr imagemagick x11-utils zip unzip clang libclang-rt-14-dev procps
  qemu-system-x86 busybox-static cpio)
# Without recommends: they would add some hundred more i386 packages the tests never use.
lean_packages=(wine32:i386)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
missing=() lean_missing=()
for package in "${packages[@]}"; do installed "$package" || missing+=("$package"); done
for package in "${lean_packages[@]}"; do installed "$package" || lean_missing+=("$package"); done
all_missing=("${missing[@]}" "${lean_missing[@]}")
[ ${#all_missing[@]} -gt 0 ] || exit 0
[ "$(id -u)" = 0 ] ||
  { echo "install-deps: missing packages: ${all_missing[*]} (run as root, or install them)" >&2; exit 1; }
echo "install-deps: installing ${all_missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386

# A mirror mid-sync can fail one index ("File has unexpected size") while apt-get update exits 0.
# When that is the security suite's i386 one, its amd64 libraries are newer than any i386 twin,
# and the multi-arch pairs cannot be installed; the release's own versions for both
# architectures (-t CODENAME) match. Each try updates again first.
. /etc/os-release
# wine32:i386 goes first, so that the amd64 libraries it pairs with are chosen to match it.
install_all() {
  { [ ${#lean_missing[@]} = 0 ] ||
    apt-get install -y -qq --no-install-recommends "$@" "${lean_missing[@]}" >/dev/null; } &&
    { [ ${#missing[@]} = 0 ] || apt-get install -y -qq "$@" "${missing[@]}" >/dev/null; }
}
# Installed amd64 halves of multi-arch pairs that are newer than every i386 half apt can see:
# they came from the index that could not be read, and block their i386 twins.
unpaired_amd64() {
  local pairs && pairs=$(dpkg-query -W -f='${Package} ${Version} ${Multi-Arch} ${Architecture}\n' |
    awk '$3 == "same" && $4 == "amd64" {print $1, $2}')
  # One look-up for all of them: "name:i386" then its candidate version.
  apt-cache policy $(awk '{print $1 ":i386"}' <<<"$pairs") 2>/dev/null |
    awk '/^[^ ].*:$/ {name = substr($1, 1, length($1) - 1); sub(/:i386$/, "", name)}
         /^  Candidate:/ && $2 != "(none)" {print name, $2}' |
    while read -r name candidate; do
      version=$(awk -v n="$name" '$1 == n {print $2}' <<<"$pairs")
      dpkg --compare-versions "$version" gt "$candidate" && echo "$name/$VERSION_CODENAME"
    done
}
update_and_install() {
  local log=/tmp/lumivane-apt-update.log
  apt-get update -qq >"$log" 2>&1 || true
  grep -q '^E:' "$log" || { install_all; return; }
  echo "install-deps: apt-get update could not read every index:" >&2
  grep -E '^(E|Err):' "$log" >&2
  install_all && return 0
  echo "install-deps: installing from the $VERSION_CODENAME release's own versions" >&2
  install_all -t "$VERSION_CODENAME" && return 0
  local unpaired && unpaired=$(unpaired_amd64 || true) && [ -n "$unpaired" ] || return 1
  echo "install-deps: taking these back to their $VERSION_CODENAME versions to pair them:" $unpaired >&2
  apt-get install -y -qq --no-install-recommends --allow-downgrades -t "$VERSION_CODENAME" \
    $unpaired >/dev/null || return 1
  install_all -t "$VERSION_CODENAME"
}
for attempt in 1 2 3 4 5; do
  update_and_install && exit 0
  echo "install-deps: installing ${all_missing[*]} failed (try $attempt of 5)" >&2
  [ "$attempt" -lt 5 ] && sleep $((attempt * 10))
done
echo "install-deps: giving up; the apt messages above say which index or package failed" >&2
exit 1
