#!/bin/bash
# The firmware catalogue is really embedded: a program linked with the
# firmware resources (as meru.exe is) finds every "#<id>" FIRMWARE resource,
# whose bytes equal the committed files, loads each image from it, lists the
# manifest and chooses images for a board.
set -euo pipefail
BIN=$1
HERE=$(cd "$(dirname "$0")" && pwd)
FIRMWARE=$HERE/../../updater/resources/firmware
. "$HERE/wine-lib.sh"
trap wine_cleanup EXIT

wine_prefix_new
DUMP=$WINE_WORKDIR/dump
OUT=$WINE_WORKDIR/probe.txt
mkdir -p "$DUMP"
wine_run 120 "$BIN/catalogue-probe.exe" "Z:$DUMP" >"$OUT.raw" 2>"$WINE_WORKDIR/probe.err"
tr -d '\r' <"$OUT.raw" >"$OUT"
cat "$OUT"
[ "$WINE_RC" -eq 0 ] || { cat "$WINE_WORKDIR/probe.err"; fail "probe exit code $WINE_RC"; }

# Every resource holds exactly the committed file.
names=$(sed -n 's/^[0-9]* FIRMWARE "\(.*\)"$/\1/p' "$FIRMWARE/firmware.rc")
[ "$(echo "$names" | wc -l)" -eq 13 ] || fail "firmware.rc does not name 13 images"
for name in $names; do
    [ -f "$DUMP/$name" ] || fail "no resource dumped for $name"
    cmp -s "$DUMP/$name" "$FIRMWARE/$name" || fail "resource of $name differs from the file"
done

# Every image loaded from its resource, with as many lines as its file has.
for name in $names; do
    lines=$(grep -c '' "$FIRMWARE/$name")
    grep -qE "^image [0-9]+ $name size=$(stat -c %s "$FIRMWARE/$name") lines=$lines " "$OUT" ||
        fail "$name not loaded with $lines lines"
done
grep -qE '^image 142 NODATA00.HEX size=16 lines=1 blocks=0 bytes=0 plugs=0 primary=- station=- platforms=0$' "$OUT" ||
    fail "the empty image is not the single execution-address line"
grep -qE '^image 157 PG020000.HEX .* plugs=6 primary=2.0.0 station=- platforms=0$' "$OUT" || fail "generic image"
grep -qE '^image 161 SA010500.HEX .* blocks=4 .* primary=- station=1.5.0 platforms=6$' "$OUT" || fail "station image"

# The manifest: nine primaries, three stations, each indented by four spaces.
expected_manifest=$(
    echo "Manifest of embedded firmware:"
    echo "Primaries:"
    for n in PK010400 PK010302 PL010400 PL010206 PM020100 PG020000 PN010100 PK010300 PL010300; do echo "    $n.HEX"; done
    echo "Stations:"
    for n in SA010500 SB010402 SA010300; do echo "    $n.HEX"; done
)
actual_manifest=$(grep -xA14 'Manifest of embedded firmware:' "$OUT")
[ "$actual_manifest" = "$expected_manifest" ] || fail "manifest differs:
$actual_manifest"

expect_log_line "$OUT" "select 0x0101: 0 PL010400.HEX#154 SA010500.HEX#161"
expect_log_line "$OUT" "select 0x0204: 0 PG020000.HEX#157 SB010402.HEX#162"
expect_log_line "$OUT" "box: Firmware Resource Not Found. / Internal Error - Resource could not be loaded."
expect_log_line "$OUT" "missing 999: 0"
echo "PASS"
