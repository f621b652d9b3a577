#!/bin/bash
# The real meru.exe keeps the card's production data and gets the card back:
# a quiet update with a .pda file first saves the PDA as read beside the
# session log, and queuing that backup with a station image restores it; a
# power loss in the middle of an image ends the run fatally, and after the
# card is re-inserted a quiet run brings it to the intended firmware.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT
FIRMWARE=$(cd "$(dirname "$0")/../../updater/resources/firmware" && pwd)

serial_record() { "$SIM_CARD" show "$STATE" | sed -n 's/^  0x0003 (length 7): //p'; }

# --- backup and restore of the production data ---
meru_prefix
factory_serial=$(serial_record)
[ -n "$factory_serial" ] || fail "the card shows no serial number record"
printf '; a new serial number\r\n0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\r\n' \
    >"$WINEPREFIX/drive_c/serial.pda"
wine_run 300 "$BIN/meru.exe" -quiet 'c:\serial.pda'
expect_eq "exit code of the update with a .pda file" "$WINE_RC" "0"
expect_eq "serial after the update" "$(serial_record)" "0x3939 0x4E4E 0x3030 0x3030 0x3131 0x3232"
backups=("$WINEPREFIX"/drive_c/pda-00601D123456-*.pda)
[ -f "${backups[0]}" ] || fail "no PDA backup in c:\\"
backup=$(basename "${backups[0]}")
wine_flash_log_text | grep -qxF "PDA backup written to c:\\$backup" || fail "the log does not name the backup"
grep -qF "0x0007, 0x0003, 0x3939, 0x4153, 0x3030, 0x3130, 0x3332, 0x3534" "${backups[0]}" ||
    fail "the backup lacks the card's serial number"

wine_run 300 "$BIN/meru.exe" -quiet -olderOK "c:\\$backup" "Z:$FIRMWARE/SA010500.HEX"
expect_eq "exit code of the restore" "$WINE_RC" "0"
expect_eq "serial after the restore" "$(serial_record)" "$factory_serial"
wine_cleanup

# --- power lost in the middle of the station image ---
meru_prefix
"$SIM_CARD" fault "$STATE" power-loss after 20 >/dev/null
wine_run 300 "$BIN/meru.exe" -quiet
expect_eq "exit code after the power loss" "$WINE_RC" "1"
wine_flash_log_text | grep -qxF "Update FAILED" || fail "no Update FAILED line"
wine_flash_log_text | grep -qF "Fatal Error: Card Write Failure detected." || fail "no fatal line"
"$SIM_CARD" reinsert "$STATE" >/dev/null
# The primary written before the loss reports its new version: -olderOK, or
# the quiet run takes the card as up to date at its primary.
wine_run 300 "$BIN/meru.exe" -quiet -olderOK
expect_eq "exit code of the recovery run" "$WINE_RC" "0"
expect_eq "primary after recovery" "$(card_line primary | cut -d' ' -f1)" "1.4.0"
expect_eq "station after recovery" "$(card_line station | cut -d' ' -f1)" "1.5.0"
echo "PASS"
