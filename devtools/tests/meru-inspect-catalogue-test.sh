#!/bin/bash
# meru-inspect --catalogue: lists the shipped catalogue and the choice per
# platform; fails on a directory whose images do not load.
# Usage: meru-inspect-catalogue-test.sh MERU_INSPECT FIRMWARE_DIR
set -u
inspect=$1
firmware=$2
. "$(dirname "$0")/inspect-checks.sh"

run shipped --catalogue "$firmware"
cat "$work/shipped.out"
expect_rc shipped 0
for line in "Manifest of embedded firmware:" "Primaries:" "    PK010400.HEX" "Stations:" "    SA010300.HEX" \
    "Primary table:" "    platforms: 0x0201 0x0202" "    platforms: none (suits every platform)" \
    "      Primary Firmware-Driver: Supplier: Range=2..4 Variant=1" \
    "      Primary Firmware-Driver: Actor: Range=3..5 Variant=1" "Station table:" \
    "  142  NODATA00.HEX  loads (no data)" \
    "  0x0204:  PG020000.HEX (157)  SB010402.HEX (162)  result 0" \
    "  0x0101:  PL010400.HEX (154)  SA010500.HEX (161)  result 0" \
    "  0xffff:  PG020000.HEX (157)  result 3"; do
    expect_line shipped out "$line"
done
[ "$(grep -c '^  1[56][0-9]  ' "$work/shipped.out")" = 12 ] || fail "not 12 table entries"

# A directory with one image missing and one broken.
cp "$firmware"/*.HEX "$work/"
rm "$work/PN010100.HEX"
printf 'S3 broken\r\n' >"$work/SB010402.HEX"
run bad --catalogue "$work"
expect_rc bad 1
expect_line bad out "  158  PN010100.HEX  does not load"
expect_line bad out "  162  SB010402.HEX  does not load"
grep -qF "Error: Line 1: Bad character found." "$work/bad.err" || fail "reader's error not on stderr"

# --catalogue without a directory is a usage error.
run usage --catalogue
expect_rc usage 2

finish meru-inspect-catalogue
