#!/usr/bin/env bash
# Runs a command inside a QEMU guest whose kernel runs 32-bit x86 programs, for machines whose
# own kernel cannot (scripts/can-run-x86.sh tells).

#   scripts/qemu-guest.sh [--] COMMAND [ARGS...]

# The guest sees this machine's whole file system, read-only, with a layer in its memory that
# takes every write (they are gone when the guest ends), but for the checkout's build/, which
# it writes here: the Wine prefixes, the sessions' logs and the test output stay on this disk,
# and the next run uses the prefixes again. It runs COMMAND in the same working directory, as
# the same user, with the same environment, less what points at this machine's desktop
# (DISPLAY and the like) and LUMIVANE_NO_32BIT. COMMAND's stdout and stderr come here as it
# writes them, and this script exits with its exit code. The guest's /tmp, /run, /dev and
# /proc are its own; this checkout is shown at its own path even when it lies in one of those.
# When the guest runs out of memory, or of room for its writes, it says so in one line and
# stops COMMAND there.

# LUMIVANE_GUEST_TIMEOUT   seconds the guest may run (default 3600; then it exits 124)
# LUMIVANE_GUEST_MEMORY, LUMIVANE_GUEST_CPUS   its memory and processors (default 4G, 2)
# LUMIVANE_GUEST_CONSOLE   a file that keeps the guest's console (kernel and start-up messages)
# LUMIVANE_TIME_SCALE      handed to COMMAND; when unset the guest sets it (10 when emulated),
#                          and the live tests allow that many times longer for each wait

# The guest runs Debian's stock kernel (linux-image-amd64, fetched once into build/qemu/) with
# a busybox initramfs from scripts/qemu-guest/init, under KVM where the processor offers it,
# emulated elsewhere. Exits 124 when the guest ran out of time, 125 when it ran out of memory
# or room, could not start, or ended without an exit code (then showing the guest's console).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
checkout=$(dirname "$here") && cache=$(dirname "$here")/build/qemu
guest_timeout=${LUMIVANE_GUEST_TIMEOUT:-3600} memory=${LUMIVANE_GUEST_MEMORY:-4G} cpus=${LUMIVANE_GUEST_CPUS:-2}
# The kernel modules the initramfs loads (those they need come along): the virtio devices,
# the 9p file shares, the serial ports of stdout and stderr, and overlayfs.
root_modules=(virtio_pci 9pnet_virtio 9p virtio_console overlay)

say() { echo "qemu-guest: $*" >&2; }
die() { say "$*" && exit 125; }

[ "${1:-}" = -- ] && shift
[ $# -gt 0 ] || { echo "usage: $0 [--] COMMAND [ARGS...]" >&2; exit 2; }
[[ $guest_timeout =~ ^[1-9][0-9]*$ ]] || die "LUMIVANE_GUEST_TIMEOUT must be a number of seconds"
command -v qemu-system-x86_64 >/dev/null ||
  die "qemu-system-x86_64 is missing: run scripts/install-deps.sh (package qemu-system-x86)"
[ -x /bin/busybox ] || die "/bin/busybox is missing: run scripts/install-deps.sh (package busybox-static)"


# Debian's stock kernel package, downloaded once; apt-get update first where apt's lists are
# missing or out of date. An index that fails mid-sync is only reported: the kernel is amd64.
fetch_kernel() {
  local deb package download_log=$cache/download.log
  deb=$(find "$cache" -maxdepth 1 -name 'linux-image-*_amd64.deb' 2>/dev/null | sort -V | tail -n1)
  [ -z "$deb" ] || { echo "$deb" && return; }
  say "downloading Debian's kernel package into $cache"
  for attempt in 1 2; do
    package=$(apt-cache depends linux-image-amd64 2>/dev/null |
      sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*\).*/\1/p' | head -n1)
    if [ -n "$package" ] && (cd "$cache" && apt-get download -q -o APT::Sandbox::User=root \
      "$package") >"$download_log" 2>&1; then
      find "$cache" -maxdepth 1 -name "${package}_*_amd64.deb" | sort -V | tail -n1
      return
    fi
    [ "$attempt" = 1 ] || break
    [ "$(id -u)" = 0 ] || die "cannot download the kernel package: apt's lists are missing" \
      "or out of date, and only root can run apt-get update"
    say "updating apt's package lists to download Debian's kernel package"
    apt-get update -q >"$cache/apt-update.log" 2>&1 || true
    grep -E '^(E|Err):' "$cache/apt-update.log" >&2 || true
  done
  [ -n "$package" ] || die "apt knows no package linux-image-amd64 (see $cache/apt-update.log)"
  cat "$download_log" >&2 && die "could not download $package"
}

# The module files of the initramfs, each after those it depends on (the modinfo "depends"
# field; the package has no modules.dep, which depmod writes when it is installed).
collect_modules() {
  local tree=$1 target=$2 file name
  declare -A files=() added=()
  while IFS= read -r file; do
    name=$(basename "$file" .ko) && files[${name//-/_}]=$file
  done < <(find "$tree" -name '*.ko')
  add_module() {
    local module=${1//-/_} dependency
    [ -z "${added[$module]:-}" ] || return 0
    [ -n "${files[$module]:-}" ] && added[$module]=1 || die "the kernel package has no module $module"
    for dependency in $(objcopy -O binary -j .modinfo "${files[$module]}" /dev/stdout |
      tr '\0' '\n' | sed -n 's/^depends=//p' | tr ',' ' '); do add_module "$dependency"; done
    cp "${files[$module]}" "$target/$module.ko" && echo "$module" >>"$target/order"
  }
  for name in "${root_modules[@]}"; do add_module "$name"; done
}

# build/qemu/vmlinuz and build/qemu/initramfs.gz, made again when the kernel package, the
# init script, busybox or the module list changed.
prepare_boot_files() {
  local deb stamp work
  mkdir -p "$cache" && deb=$(fetch_kernel)
  stamp=$( (basename "$deb"; cat "$here/qemu-guest/init"; sha256sum /bin/busybox
    echo "${root_modules[*]}") | sha256sum | cut -d' ' -f1)
  [ -f "$cache/initramfs.gz" ] && [ -f "$cache/vmlinuz" ] &&
    [ "$(cat "$cache/boot.stamp" 2>/dev/null)" = "$stamp" ] && return
  say "building the guest's kernel and initramfs from $(basename "$deb")"
  work=$(mktemp -d "$cache/prepare.XXXXXX")
  dpkg-deb -x "$deb" "$work/package"
  mkdir -p "$work/initramfs/bin" "$work/initramfs/modules"
  cp /bin/busybox "$work/initramfs/bin/busybox"
  install -m 755 "$here/qemu-guest/init" "$work/initramfs/init"
  collect_modules "$work/package/lib/modules" "$work/initramfs/modules"
  (cd "$work/initramfs" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initramfs.gz"
  # Renamed into place, so that a guest starting meanwhile boots the old pair or the new.
  mv -f "$(find "$work/package/boot" -name 'vmlinuz-*' | head -n1)" "$cache/vmlinuz"
  mv -f "$work/initramfs.gz" "$cache/initramfs.gz"
  echo "$stamp" >"$cache/boot.stamp" && rm -rf "$work"
}

# What the guest runs: the command, the working directory, the user and the environment.
write_request() {
  local request=$1
  printf '%s\0' "${@:2}" >"$request/argv"
  printf '%s\0' "$PWD" >"$request/cwd"
  echo "$checkout" >"$request/checkout"
  echo "$(id -u) $(id -g)" >"$request/user"
  echo "$memory" >"$request/memory"
  hostname >"$request/hostname" 2>/dev/null || true && cp "$here/qemu-guest/run" "$request/run"
  (
    # The guest cannot reach this machine's desktop, session bus or agents.
    unset DISPLAY XAUTHORITY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR \
      SSH_AUTH_SOCK TMPDIR LUMIVANE_NO_32BIT
    export LUMIVANE_IN_GUEST=1 LUMIVANE_TIME_SCALE=${LUMIVANE_TIME_SCALE:-$time_scale}
    env -0
  ) >"$request/environ"
}

prepare_boot_files

# Multi-threaded TCG gives each processor a host thread; on a busy machine the guest then runs
# up to ten times slower. Without SMAP: QEMU 7.2's TCG faults Wine's return from system calls.
accel=(-accel tcg,thread=multi -cpu max,-smap) time_scale=10
if grep -qwE 'vmx|svm' /proc/cpuinfo && [ -w /dev/kvm ]; then accel=(-accel kvm -cpu host) time_scale=1; fi

run=$(mktemp -d "${TMPDIR:-/tmp}/lumivane-guest.XXXXXX")
console=${LUMIVANE_GUEST_CONSOLE:-$run/console.log}
qemu_job=
trap '[ -z "$qemu_job" ] || kill "$qemu_job" 2>/dev/null; rm -rf "$run"' EXIT
mkdir "$run/request" && write_request "$run/request" "$@"

# QEMU writes the two serial ports into fifos; cat copies them to this script's stdout and stderr.
mkfifo "$run/stdout" "$run/stderr"
cat "$run/stdout" & cat "$run/stderr" >&2 &

say "running $1 in a guest ($([ "$time_scale" = 1 ] && echo KVM || echo emulated)," \
  "$cpus processors, $memory, at most $guest_timeout s)"
started=$(date +%s)
timeout --foreground -k 30 "$guest_timeout" qemu-system-x86_64 \
  -nodefaults -no-user-config -display none -no-reboot \
  "${accel[@]}" -smp "$cpus" -m "$memory" \
  -kernel "$cache/vmlinuz" -initrd "$cache/initramfs.gz" \
  -append "console=ttyS0 quiet panic=-1 mitigations=off" \
  -serial "file:$console" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$checkout,mount_tag=checkout,security_model=none,readonly=on,multidevs=remap" \
  -virtfs "local,path=$checkout/build,mount_tag=build,security_model=none,multidevs=remap" \
  -virtfs "local,path=$run/request,mount_tag=request,security_model=none" \
  -device virtio-serial-pci \
  -chardev "file,id=stdout,path=$run/stdout" -device virtserialport,chardev=stdout,name=stdout \
  -chardev "file,id=stderr,path=$run/stderr" -device virtserialport,chardev=stderr,name=stderr \
  </dev/null >"$run/qemu.log" 2>&1 &
qemu_job=$! interrupted= qemu_status=0
trap 'interrupted=1; kill "$qemu_job" 2>/dev/null || true' INT TERM HUP
wait "$qemu_job" || qemu_status=$?
# A signal ends the first wait early; the guest is being stopped then, so wait for it again.
while kill -0 "$qemu_job" 2>/dev/null; do wait "$qemu_job" || qemu_status=$?; done
qemu_job=
# A QEMU that failed before it opened the fifos left the copies waiting for a writer; opening
# a fifo read-write never blocks, and closing it gives them their end of file.
: <>"$run/stdout" && : <>"$run/stderr" && wait

show_console() {
  say "QEMU said:" && sed 's/^/  /' "$run/qemu.log" >&2
  say "the guest's console ended with:" && tail -n 40 "$console" | sed 's/^/  /' >&2
}
[ -z "$interrupted" ] || { say "interrupted; the guest was stopped" && exit 130; }
if [ "$qemu_status" = 124 ] || [ "$qemu_status" = 137 ]; then
  show_console
  say "the guest did not finish within $guest_timeout s (LUMIVANE_GUEST_TIMEOUT) and was stopped"
  exit 124
fi
[ -f "$run/request/status" ] || { show_console && die "the guest ended after" \
  "$(($(date +%s) - started)) s without the command's exit code (QEMU exited with $qemu_status)"; }
exit "$(cat "$run/request/status")"
