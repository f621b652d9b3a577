#!/bin/bash
# meru.exe -debug writes the command line and version to c:\flash.log and exits 0.
set -euo pipefail
BIN=$1
. "$(dirname "$0")/wine-lib.sh"
trap wine_cleanup EXIT

wine_prefix_new
wine_run 120 "$BIN/meru.exe" -debug -olderOK fw.hex
[ "$WINE_RC" -eq 0 ] || fail "exit code $WINE_RC"
[ -f "$(wine_flash_log)" ] || fail "no c:\\flash.log"
LOG=$WINE_WORKDIR/flash.log
wine_flash_log_text >"$LOG"
cat "$LOG"
grep -qE '^Command Line:.*meru\.exe -debug -olderOK fw\.hex $' "$LOG" || fail "no Command Line: line"
expect_log_line "$LOG" "Version 0.6.7 (Jan  2 2002)"
echo "PASS"
