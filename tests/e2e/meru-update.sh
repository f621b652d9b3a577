#!/bin/bash
# meru.exe updates the software card: quietly (exit codes, log, the card
# afterwards, the progress window), again (nothing to do), with older files,
# repeated and delayed, with the manifest, through a download failure and
# its recovery, and interactively by pressing Continue from outside.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT
FIRMWARE=$(cd "$(dirname "$0")/../../updater/resources/firmware" && pwd)

# --- a quiet update of an older card, the progress window on screen ---
meru_prefix
(for i in $(seq 1 200); do wine_screenshot "$WINE_WORKDIR/progress-$i.png" 2>/dev/null; sleep 0.1; done) &
SHOOTER=$!
quiet_run
kill "$SHOOTER" 2>/dev/null || true
wait "$SHOOTER" 2>/dev/null || true
expect_eq "exit code of the quiet update" "$WINE_RC" "0"
expect_eq "primary" "$(card_line primary | cut -d' ' -f1)" "1.4.0"
expect_eq "station" "$(card_line station | cut -d' ' -f1)" "1.5.0"
card_line primary | grep -qF "file PK010400.HEX" || fail "primary file: $(card_line primary)"
card_line station | grep -qF "file SA010500.HEX" || fail "station file: $(card_line station)"
logged "Update To: Primary: 1.4.0 Station: 1.5.0 (PK010400.HEX  SA010500.HEX)"
logged "Primary Firmware: Rev 1.4.0 from PK010400.HEX "
logged "Station Firmware: Rev 1.5.0 from SA010500.HEX "
[ "$(grep -cxF "Update Successful!" "$LOG")" -eq 2 ] || fail "not two successful images"
# Keep the busiest screenshot: the one with the progress window on it.
best=$(for f in "$WINE_WORKDIR"/progress-*.png; do
    echo "$(convert "$f" -format '%[fx:standard_deviation]' info: 2>/dev/null || echo 0) $f"
done | sort -g | tail -n1 | cut -d' ' -f2)
[ -n "$best" ] && cp "$best" "$SHOTS/meru-progress-window.png" && echo "screenshot: $SHOTS/meru-progress-window.png"

# --- the same again: nothing to do ---
"$SIM_CARD" counters "$STATE" --reset >/dev/null
quiet_run
expect_eq "exit code of the second run" "$WINE_RC" "0"
logged "Unneeded reflash skipped."
expect_eq "downloads of the second run" "$(downloads)" "0"

# --- older files: a command-line station only with -olderOK ---
# The primary must be an upgrade, or the quiet run skips before it looks at
# the station: the card reports its factory primary 1.3.0 again.
"$SIM_CARD" set "$STATE" factory-primary-identity 21 0 1 3 >/dev/null
"$SIM_CARD" write "$STATE" 0x7E0040 00 >/dev/null  # spoils the flashed primary's identity block
quiet_run "Z:$FIRMWARE/SA010300.HEX"
expect_eq "exit code, older station without -olderOK" "$WINE_RC" "1"
expect_eq "station after the refusal" "$(card_line station | cut -d' ' -f1)" "1.5.0"
quiet_run -olderOK "Z:$FIRMWARE/SA010300.HEX"
expect_eq "exit code, older station with -olderOK" "$WINE_RC" "0"
expect_eq "station after -olderOK" "$(card_line station | cut -d' ' -f1)" "1.3.0"
wine_cleanup

# An older embedded image is refused even with -olderOK.
meru_prefix
"$SIM_CARD" set "$STATE" factory-primary-identity 21 0 1 5 >/dev/null
quiet_run -olderOK
expect_eq "exit code, older embedded primary with -olderOK" "$WINE_RC" "1"
logged "Time of MERU execution:"
wine_cleanup

# --- -repeat, -delay, -manifest ---
meru_prefix
started=$(date +%s)
quiet_run -repeat 3 -delay 1 -manifest
expect_eq "exit code of -repeat 3" "$WINE_RC" "0"
[ "$(grep -cxF "Updating flash" "$LOG")" -eq 2 ] || fail "one programming run expected, then a skipped one"
logged "Unneeded reflash skipped."
[ $(($(date +%s) - started)) -ge 2 ] || fail "-delay 1 did not wait after each of the two runs"
logged "Manifest of embedded firmware:"
logged "    SA010500.HEX"
wine_cleanup

# --- a download failure is fatal; a run without it recovers the card ---
meru_prefix
"$SIM_CARD" fault "$STATE" download-fail always range 0x100000 0x10FFFF >/dev/null
quiet_run
expect_eq "exit code after the download failure" "$WINE_RC" "1"
logged "Update FAILED"
logged "Fatal Error: Card Write Failure detected.  The adapter card may have become non-functional.  Click OK to exit."
expect_eq "station after the failure" "$(card_line station | cut -d' ' -f1)" "1.3.1"
"$SIM_CARD" fault "$STATE" clear >/dev/null
# The primary was written before the station failed: the same command again
# writes it along with the station's upgrade, no -olderOK needed.
quiet_run
expect_eq "exit code of the recovery run" "$WINE_RC" "0"
expect_eq "primary after recovery" "$(card_line primary | cut -d' ' -f1)" "1.4.0"
expect_eq "station after recovery" "$(card_line station | cut -d' ' -f1)" "1.5.0"
wine_cleanup

# --- interactive: Continue pressed from outside ---
meru_prefix
meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "Please click continue" 60 >/dev/null || fail "not ready: $(status)"
shot meru-interactive-before
driver command "$TITLE" 1011 >/dev/null
driver wait-text "$TITLE" 1066 "Update Successful!" 120 >/dev/null || fail "status: $(status)"
expect_eq "Cancel button" "$(driver text "$TITLE" 1064)" "Exit"
expect_eq "focus" "$(driver focus "$TITLE")" "1064"
expect_eq "Continue" "$(driver state "$TITLE" 1011)" "visible disabled"
expect_eq "After Programming column" "$(driver state "$TITLE" 1075)" "hidden enabled"
expect_eq "current station after the update" "$(driver text "$TITLE" 1076)" "1.5.0"
shot meru-interactive-after
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
expect_eq "exit code after Exit" "$MERU_RC" "1"
echo "PASS"
