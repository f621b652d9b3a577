#!/bin/bash
# The real meru.exe window against the software card, driven from outside:
# the ready window for an older card, no adapter, the hand-over from a
# second start, a library that cannot start its driver, Cancel and About.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT

# --- an older card: ready to upgrade, the grid filled ---
meru_prefix
meru_start
meru_wait_window
text=$(driver wait-text "$TITLE" 1066 "Please click continue" 60) || fail "no ready text: $(status)"
expect_eq "status" "$text" \
    "MERU is ready to copy firmware into your high speed Wireless LAN adapter.    Please click continue to upgrade to a newer version.  Please click cancel to exit without changing firmware."
expect_eq "Continue button" "$(driver text "$TITLE" 1011)" "Continue"
expect_eq "current primary" "$(driver text "$TITLE" 1074)" "1.1.1"
expect_eq "current primary file" "$(driver text "$TITLE" 1070)" "PK010101.HEX"
expect_eq "current station" "$(driver text "$TITLE" 1076)" "1.3.1"
expect_eq "after primary" "$(driver text "$TITLE" 1075)" "1.4.0"
expect_eq "after primary file" "$(driver text "$TITLE" 1072)" "PK010400.HEX"
expect_eq "after station" "$(driver text "$TITLE" 1077)" "1.5.0"
expect_eq "after station file" "$(driver text "$TITLE" 1073)" "SA010500.HEX"
expect_eq "file list" "$(driver list-count "$TITLE" 1040)" "2"
shot meru-window-ready

# A second start hands its arguments over and ends at once.
started=$(date +%s)
wine_run 60 "$BIN/meru.exe" -quiet somefile.hex
[ "$WINE_RC" -eq 0 ] || fail "the second start ended with $WINE_RC"
[ $(($(date +%s) - started)) -le 20 ] || fail "the second start took $(($(date +%s) - started)) s"
expect_eq "file list after the hand-over" "$(driver list-count "$TITLE" 1040)" "4"
driver list-items "$TITLE" 1040 | grep -qF -- "-quiet" || fail "no entry named -quiet"

# About MERU... from the system menu.
driver syscommand "$TITLE" 16 >/dev/null
driver dialog-wait "About This Program" 20 >/dev/null || fail "no About box"
expect_eq "About version" "$(driver dialog-text "About This Program" 1002)" "Version 0.6.7 (Jan  2 2002)"
shot meru-about
driver command "About This Program" 1 >/dev/null
driver wait-gone "About This Program" 20 >/dev/null || fail "the About box stayed"

# Cancel ends the program with exit code 1.
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
expect_eq "exit code after Cancel" "$MERU_RC" "1"
wine_cleanup

# --- no adapter ---
meru_prefix
wine_adapters_clear
meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "No adapter selected." 60 >/dev/null || fail "status: $(status)"
expect_eq "status" "$(status)" \
    "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit."
expect_eq "Continue button" "$(driver text "$TITLE" 1011)" "Retry"
shot meru-window-no-adapter
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
wine_cleanup

# --- the library cannot start its driver: -quiet has no effect ---
meru_prefix
"$SIM_CARD" fault "$STATE" library-error 2 >/dev/null
meru_start -quiet
box=$(driver box-wait - 60) || fail "no start-up error box"
expect_eq "box" "$box" "Startup Error	Error loading system files: File Not Found."
driver box-press - OK >/dev/null
meru_wait_window
driver wait-text "$TITLE" 1066 "Functionality is disabled." 30 >/dev/null || fail "status: $(status)"
expect_eq "status" "$(status)" "Could not find/load the necessary system files. Functionality is disabled."
expect_eq "Cancel button" "$(driver text "$TITLE" 1064)" "Exit"
expect_eq "Continue state" "$(driver state "$TITLE" 1011)" "visible disabled"
sleep 2
kill -0 "$MERU_PID" 2>/dev/null || fail "the quiet run ended although the library is missing"
shot meru-window-no-library
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
expect_eq "exit code after Exit" "$MERU_RC" "1"
echo "PASS"
