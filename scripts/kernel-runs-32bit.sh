#!/usr/bin/env bash
# Exits 0 when this kernel executes 32-bit x86 programs (some machines are built without that support): a
# four-instruction static program is assembled, linked and run, and must exit with the code it chose. Needs the
# assembler and linker of binutils; without them the answer is no.
command -v as >/dev/null && command -v ld >/dev/null || exit 1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/probe.s"
as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null && ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null ||
  exit 1
status=0
"$dir/probe" 2>/dev/null || status=$?
[ "$status" -eq 42 ]
