#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, 1 when it cannot (its IA32
# emulation is off: such a program fails with "Exec format error"), 2 when the test program
# could not be built.

#   scripts/can-run-x86.sh [-v]     -v says which on stdout

# The test is a static three-instruction i386 program that exits 42 through int 0x80: no
# 32-bit library or loader is needed, so only the kernel decides.
set -euo pipefail
say() { [ "${verbose:-}" != -v ] || echo "can-run-x86: $*"; }
verbose=${1:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/can-run-x86.XXXXXX")
trap 'rm -rf "$work"' EXIT

printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$work/exit42.s"
if ! { as --32 -o "$work/exit42.o" "$work/exit42.s" && ld -m elf_i386 -o "$work/exit42" "$work/exit42.o"; } \
  2>"$work/build.log"; then
  echo "can-run-x86: could not build the 32-bit test program (binutils as/ld):" >&2
  cat "$work/build.log" >&2 && exit 2
fi
status=0
"$work/exit42" 2>"$work/run.log" || status=$?
[ "$status" != 42 ] || { say "this kernel runs 32-bit x86 programs" && exit 0; }
say "this kernel cannot run 32-bit x86 programs ($(head -c 200 "$work/run.log" | tr '\n' ' ')exit $status)"
exit 1
