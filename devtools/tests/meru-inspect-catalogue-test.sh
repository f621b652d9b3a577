#!/bin/bash
# meru-inspect --catalogue: lists the shipped catalogue and the choice per
# platform; fails on a directory whose images do not load.
# Usage: meru-inspect-catalogue-test.sh MERU_INSPECT FIRMWARE_DIR
set -u
inspect=$1
firmware=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

"$inspect" --catalogue "$firmware" >"$work/out" 2>"$work/err"
rc=$?
cat "$work/out"
[ "$rc" = 0 ] || fail "exit code $rc"
for line in "Manifest of embedded firmware:" "Primaries:" "    PK010400.HEX" "Stations:" "    SA010300.HEX" \
    "Primary table:" "    platforms: 0x0201 0x0202" "    platforms: none (suits every platform)" \
    "      Primary Firmware-Driver: Supplier: Range=2..4 Variant=1" \
    "      Primary Firmware-Driver: Actor: Range=3..5 Variant=1" "Station table:" \
    "  142  NODATA00.HEX  loads (no data)" \
    "  0x0204:  PG020000.HEX (157)  SB010402.HEX (162)  result 0" \
    "  0x0101:  PL010400.HEX (154)  SA010500.HEX (161)  result 0" \
    "  0xffff:  PG020000.HEX (157)  result 3"; do
    grep -qxF -- "$line" "$work/out" || fail "no line '$line'"
done
[ "$(grep -c '^  1[56][0-9]  ' "$work/out")" = 12 ] || fail "not 12 table entries"

# A directory with one image missing and one broken.
cp "$firmware"/*.HEX "$work/"
rm "$work/PN010100.HEX"
printf 'S3 broken\r\n' >"$work/SB010402.HEX"
"$inspect" --catalogue "$work" >"$work/bad.out" 2>"$work/bad.err"
rc=$?
[ "$rc" = 1 ] || fail "broken catalogue: exit code $rc"
grep -qxF "  158  PN010100.HEX  does not load" "$work/bad.out" || fail "missing image not reported"
grep -qxF "  162  SB010402.HEX  does not load" "$work/bad.out" || fail "broken image not reported"
grep -qF "Error: Line 1: Bad character found." "$work/bad.err" || fail "reader's error not on stderr"

"$inspect" --catalogue >/dev/null 2>&1
[ $? = 2 ] || fail "--catalogue without a directory is not a usage error"

[ "$failures" = 0 ] && echo PASS
exit "$failures"
