#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, 1 when it cannot (its IA32
# emulation is off: such a program fails with "Exec format error"), 2 when the test program
# could not be built.
#
#   scripts/can-run-x86.sh [-v]     -v says which on stdout
#
# The test is a static three-instruction i386 program that exits 42 through int 0x80: no
# 32-bit library or loader is needed, so only the kernel decides.
set -euo pipefail

verbose=0
[ "${1:-}" = -v ] && verbose=1
say() { [ "$verbose" = 0 ] || echo "can-run-x86: $*"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/can-run-x86.XXXXXX")
trap 'rm -rf "$work"' EXIT

cat >"$work/exit42.s" <<'EOF'
.globl _start
_start:
    movl $1, %eax
    movl $42, %ebx
    int $0x80
EOF
if ! as --32 -o "$work/exit42.o" "$work/exit42.s" 2>"$work/build.log" ||
    ! ld -m elf_i386 -o "$work/exit42" "$work/exit42.o" 2>>"$work/build.log"; then
    echo "can-run-x86: could not build the 32-bit test program (binutils as/ld):" >&2
    cat "$work/build.log" >&2
    exit 2
fi

status=0
"$work/exit42" 2>"$work/run.log" || status=$?
if [ "$status" = 42 ]; then
    say "this kernel runs 32-bit x86 programs"
    exit 0
fi
say "this kernel cannot run 32-bit x86 programs ($(head -c 200 "$work/run.log" | tr '\n' ' ')exit $status)"
exit 1
