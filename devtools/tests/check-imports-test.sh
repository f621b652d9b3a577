#!/bin/bash
# The import check against the built 32-bit programs (BIN_DIR): it passes on
# the checked-in table, and it fails, naming the cause, on a table that
# lacks an import, dates one after its program's floor, lists one no longer
# imported, or asks for other PE headers.
#
# usage: check-imports-test.sh BIN_DIR
set -euo pipefail
BIN_DIR=${1:?usage: check-imports-test.sh BIN_DIR}
HERE=$(cd "$(dirname "$0")" && pwd)
CHECK=$HERE/../imports/check-imports
TABLE=$HERE/../imports/windows-imports.txt
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# As they ship: scripts/release strips them, which also lays every section
# out in whole file-alignment units (the linker leaves .rsrc's raw size
# unpadded in the unstripped build).
mkdir "$WORK/bin"
for program in meru.exe Kestrelsvc.exe; do
    i686-w64-mingw32-strip --strip-all -o "$WORK/bin/$program" "$BIN_DIR/$program"
done
BIN_DIR=$WORK/bin
"$CHECK" "$BIN_DIR" "$TABLE" || fail "the built programs do not pass the checked-in table"

# name | change to the table (sed) | what the check must say
CASES=(
    "an import missing from the table|/^meru\.exe +USER32\.dll +MessageBoxA /d|meru.exe: imports USER32.dll MessageBoxA, which the table does not list"
    "a function from Windows 98 on|s/^(meru\.exe +USER32\.dll +MessageBoxA +)9x=95/\19x=98/|USER32.dll MessageBoxA (9x=98), newer than its floor 9x=95"
    "a function the 95 family lacks|s/^(meru\.exe +KERNEL32\.dll +CreateMutexA +)9x=95/\19x=-/|KERNEL32.dll CreateMutexA (9x=-), newer than its floor 9x=95"
    "a function from Windows 2000 on|s/^(meru\.exe +KERNEL32\.dll +CreateMutexA +9x=95 )nt=3\.1/\1nt=2000/|KERNEL32.dll CreateMutexA (nt=2000), newer than its floor nt=4.0"
    "a service function from XP on|s/^(Kestrelsvc\.exe +ADVAPI32\.dll +ConvertStringSidToSidW +)nt=2000/\1nt=XP/|ConvertStringSidToSidW (nt=XP), newer than its floor nt=2000"
    "a line no longer imported|\$a meru.exe USER32.dll MonitorFromPoint 9x=98 nt=2000|no longer imports USER32.dll MonitorFromPoint"
    "a console program asked for|s/^(floor meru\.exe .*subsystem=)gui:4\.0/\1console:4.0/|meru.exe: subsystem 00000002, not 00000003"
    "a Unicode entry made for the 95 family unmarked|s/^(floor Kestrelsvc\.exe +)/\19x=95 /|KERNEL32.dll GetModuleFileNameW: a stub on Windows 95/98/Me, not marked 9x-stub"
    "a stub mark without its callers|s/^(meru\.exe +USER32\.dll +MessageBoxA +9x=95 nt=3\.1).*/\1 9x-stub/|MessageBoxA is marked 9x-stub without its callers"
    "msvcrt.dll not named by the floor|s/^(floor meru\.exe .*) with=msvcrt\.dll/\1/|meru.exe: imports msvcrt.dll, and msvcrt.dll is not on every Windows 95: its floor must say with=msvcrt.dll"
    "subsystem version 5.0 asked for|s/^(floor Kestrelsvc\.exe .*subsystem=gui:)4\.0/\15.0/|Kestrelsvc.exe: subsystem version 4.0, not 5.0"
)
for case in "${CASES[@]}"; do
    IFS='|' read -r name change expected <<<"$case"
    sed -E "$change" "$TABLE" >"$WORK/table"
    cmp -s "$WORK/table" "$TABLE" && fail "$name: the change left the table as it was"
    if output=$("$CHECK" "$BIN_DIR" "$WORK/table" 2>&1); then
        fail "$name: the check passed: $output"
    fi
    grep -qF -- "$expected" <<<"$output" || fail "$name: the check did not say \"$expected\": $output"
done
# A section whose raw size is no multiple of the file alignment.
mkdir "$WORK/doctored"
cp "$BIN_DIR/Kestrelsvc.exe" "$WORK/doctored/"
cp "$BIN_DIR/meru.exe" "$WORK/doctored/"
python3 - "$WORK/doctored/meru.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
first = pe + 24 + struct.unpack_from("<H", data, pe + 20)[0]
struct.pack_into("<I", data, first + 16, struct.unpack_from("<I", data, first + 16)[0] - 8)
open(sys.argv[1], "wb").write(data)
PY
if output=$("$CHECK" "$WORK/doctored" "$TABLE" 2>&1); then
    fail "a misaligned section: the check passed: $output"
fi
grep -qE 'meru.exe: section \.text has raw size [0-9]+ at file offset [0-9]+, not multiples of the file alignment 512' <<<"$output" \
    || fail "a misaligned section: the check did not name it: $output"
echo "PASS: the check passes the built programs and refuses ${#CASES[@]} doctored tables and a misaligned section"
