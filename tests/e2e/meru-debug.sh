#!/bin/bash
# meru.exe -debug writes the command line and version to c:\flash.log; the
# quiet run then stops at the file that cannot be loaded and exits 1.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT

meru_prefix
wine_run 120 "$BIN/meru.exe" -quiet -debug -olderOK fw.hex
[ "$WINE_RC" -eq 1 ] || fail "exit code $WINE_RC"
[ -f "$(wine_flash_log)" ] || fail "no c:\\flash.log"
LOG=$WINE_WORKDIR/flash.log
wine_flash_log_text >"$LOG"
cat "$LOG"
grep -qE '^Command Line:.*meru\.exe -quiet -debug -olderOK fw\.hex $' "$LOG" || fail "no Command Line: line"
expect_log_line "$LOG" "Version 0.6.7 (Jan  2 2002)"
grep -qF "Cannot Continue:Error in file fw.hex" "$LOG" || fail "no box line for fw.hex"
expect_log_line "$LOG" "Cannot Continue:Error Loading Files. Update will not start."
[ "$("$SIM_CARD" counters "$STATE" | awk '$2 == "OID_CARD_DOWNLOAD" { print $4 }')" = "" ] ||
    fail "something was downloaded"
echo "PASS"
