#!/usr/bin/env bash
# Tells whether this machine runs 32-bit x86 programs: assembles a static 32-bit program that
# only ends with code 32, runs it, and exits 0 when it did. Otherwise prints why on one line
# and exits 1. Needs `as` and `ld` (Debian package binutils).
#
#   tools/runs_32bit.sh
set -uo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/veilquill-probe32.XXXXXX") || {
    echo "no temporary folder for the probe"
    exit 1
}
trap 'rm -rf "$work"' EXIT
cat >"$work/probe.s" <<'ASM'
.globl _start
_start:
    movl $1, %eax   # exit
    movl $32, %ebx  # with code 32
    int $0x80
ASM
if ! as --32 -o "$work/probe.o" "$work/probe.s" 2>"$work/log" ||
    ! ld -m elf_i386 -o "$work/probe" "$work/probe.o" 2>>"$work/log"; then
    echo "no 32-bit x86 assembler and linker here ($(head -n 1 "$work/log"))"
    exit 1
fi
"$work/probe" 2>"$work/log"
status=$?
if [ "$status" != 32 ]; then
    echo "the kernel does not run 32-bit programs (exit $status: $(head -n 1 "$work/log"))"
    exit 1
fi
