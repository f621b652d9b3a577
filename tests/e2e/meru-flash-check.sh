#!/bin/bash
# What meru.exe does when it cannot be sure: an up-to-date card whose flash
# refuses to be read back is not written (a read refused once is tried
# again); every pass of -repeat says what it came to and one that found no
# adapter makes the exit code 1; a path handed over that is too long is
# refused with one box and the window still updates the card.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT
STATION_RANGE="range 0x100000 0x11FFFF"
counter() { "$SIM_CARD" counters "$STATE" | awk -v oid="$1" '$2 == oid { print $4 }' | grep . || echo 0; }

# --- an up-to-date card whose station flash cannot be read back ---
meru_prefix
quiet_run
expect_eq "exit code of the first update" "$WINE_RC" "0"
"$SIM_CARD" fault "$STATE" read-refuse always $STATION_RANGE >/dev/null
"$SIM_CARD" counters "$STATE" --reset >/dev/null
quiet_run
expect_eq "exit code, flash unreadable" "$WINE_RC" "1"
expect_eq "downloads, flash unreadable" "$(downloads)" "0"
logged "The card's flash could not be read, so nothing was written."
"$SIM_CARD" fault "$STATE" clear >/dev/null
"$SIM_CARD" fault "$STATE" read-refuse once $STATION_RANGE >/dev/null
"$SIM_CARD" counters "$STATE" --reset >/dev/null
quiet_run
expect_eq "exit code, one read refused" "$WINE_RC" "0"
expect_eq "downloads, one read refused" "$(downloads)" "0"
"$SIM_CARD" counters "$STATE" | grep -q "read-refuse" || fail "the refusal did not strike"
logged "No update needed: the card's flash already holds the queued firmware."
wine_cleanup

# --- -repeat 3 -delay 5, the adapter removed during the first pass ---
# The first pass has the card open from before its first download to its
# end; the adapter's key goes then, so every later pass finds none. The
# delay leaves the removal five seconds beyond the first pass's writes, so
# a loaded machine does not let the second pass find the card.
meru_prefix
meru_start -quiet -repeat 3 -delay 5
for i in $(seq 1 600); do
    [ "$(counter OID_CARD_DOWNLOAD)" -gt 0 ] && break
    kill -0 "$MERU_PID" 2>/dev/null || fail "meru.exe ended before its first download"
    sleep 0.1
done
[ "$(counter OID_CARD_DOWNLOAD)" -gt 0 ] || fail "no download within 60 s"
wine_tool reg delete "$VELOX_CLASS_KEY\\0000" /f >/dev/null 2>&1 || fail "the adapter's key could not be removed"
meru_wait_exit 300
LOG=$WINE_WORKDIR/flash.log
wine_flash_log_text >"$LOG"
expect_eq "exit code, adapter removed after the first pass" "$MERU_RC" "1"
expect_eq "passes" "$(grep -E '^pass [0-9]+ of 3: ' "$LOG" | tr '\n' '|')" \
    "pass 1 of 3: updated|pass 2 of 3: no adapter|pass 3 of 3: no adapter|"
wine_cleanup

# --- a path too long handed over to the window: one box, then an update ---
meru_prefix
meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "Please click continue" 60 >/dev/null || fail "not ready: $(status)"
long="C:\\$(printf 'x%.0s' $(seq 1 260))\\SA010300.HEX"
"$WINE_CMD" "$BIN/meru.exe" "$long" &
SECOND=$!
box=$(driver box-wait - 60) || fail "no box for the path too long"
expect_eq "box" "$box" "Error	File path too long; it cannot be queued: $long"
driver box-press - OK >/dev/null
wait "$SECOND" || fail "the second start did not end with 0"
driver wait-text "$TITLE" 1011 "Continue" 20 >/dev/null || fail "Continue reads $(driver text "$TITLE" 1011)"
driver command "$TITLE" 1011 >/dev/null
driver wait-text "$TITLE" 1066 "Update Successful!" 120 >/dev/null || fail "status: $(status)"
expect_eq "station after the update" "$(card_line station | cut -d' ' -f1)" "1.5.0"
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
echo "PASS"
