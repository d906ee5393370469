#!/usr/bin/env bash
# Reads the built Ravenlook_inst.exe as Windows will: a 32-bit i386 GUI
# program whose import table names only DLLs Windows loads from its own
# KnownDLLs list (never from the folder the program starts in), with no
# MinGW runtime DLL and no time stamp in its headers.
# Usage: check_executable.sh OBJDUMP EXE
set -u
objdump="$1"
exe="$2"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers="$("$objdump" -p "$exe")" || { echo "FAIL: cannot read $exe"; exit 1; }

grep -q "file format pei-i386" <<<"$headers" || fail "not a PE32 i386 file"
grep -qE "^Magic[[:space:]]+010b" <<<"$headers" || fail "optional header is not PE32"
grep -qE "^Subsystem[[:space:]]+00000002" <<<"$headers" || fail "subsystem is not Windows GUI"
grep -qE "^Time/Date[[:space:]]+(Thu Jan  1 00:00:00 1970|00000000)" <<<"$headers" \
    || fail "the header carries a time stamp: $(grep '^Time/Date' <<<"$headers")"

allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll ole32.dll shell32.dll msvcrt.dll "
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
    case "$allowed" in
        *" $dll "*) echo "ok: imports $dll" ;;
        *) fail "imports $dll, which is not a KnownDLL" ;;
    esac
done

if [ "$failures" -eq 0 ]; then
    echo "check_executable: $exe passes"
    exit 0
fi
exit 1
