#!/bin/bash
# The PDA restore of the real meru.exe: Clear PDA through the tools saves
# the card's production data beside the session log; "-restorepda" of that
# backup first names the card and the file (Cancel writes nothing) and,
# quiet, puts back every word of the production data area with exit code 0.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT

PDA_ADDRESS=0x7F0000  # MAC type 2 (sim/README.md)
pda_report() { "$SIM_CARD" show "$STATE" | sed -n '/^PDA: /,/^stored records:/p' | sed '$d'; }
pda_bytes() { "$SIM_CARD" read "$STATE" "$PDA_ADDRESS" 1024; }

meru_prefix
original=$(pda_report)
original_bytes=$(pda_bytes)
grep -q "^PDA: 12 records, .*(good)$" <<<"$original" || fail "not a factory PDA: $original"

# --- Clear PDA through the tools ---
meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "Please click continue" 60 >/dev/null || fail "no ready window: $(status)"
driver command "$TITLE" 1017 >/dev/null
expect_eq "question" "$(driver box-wait "Warning:" 30)" "Warning:	Are you sure you want to clear the PDA?"
driver box-press "Warning:" OK >/dev/null
expect_eq "clear box" "$(driver box-wait "$TITLE" 60 | cut -f2)" \
    "PDA cleared. Set a valid MAC address before programming station code."
driver box-press "$TITLE" OK >/dev/null
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
grep -q "^PDA: 0 records, .*(good)$" <<<"$(pda_report)" || fail "the PDA was not cleared: $(pda_report)"
backups=("$WINEPREFIX"/drive_c/pda-00601D123456-*.pda)
[ "${#backups[@]}" -eq 1 ] && [ -f "${backups[0]}" ] || fail "not one backup in c:\\: $(ls "$WINEPREFIX/drive_c")"
backup=$(basename "${backups[0]}")

# --- interactive: the card and the file are named first; Cancel writes nothing ---
meru_start -restorepda "c:\\$backup"
question=$(driver box-wait "PDA Restore" 60)
case "$question" in
    *"(MAC address 00-60-1D-12-34-56) with the 12 records of \"c:\\$backup\"?"*) ;;
    *) fail "the question: $question" ;;
esac
shot meru-restore-question
driver box-press "PDA Restore" Cancel >/dev/null
meru_wait_window
grep -q "^PDA: 0 records" <<<"$(pda_report)" || fail "written after Cancel: $(pda_report)"
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30

# --- quiet: exit code 0, the original records word for word ---
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$backup"
expect_eq "exit code of the restore" "$WINE_RC" "0"
expect_eq "PDA after the restore" "$(pda_report)" "$original"
[ "$(pda_bytes)" = "$original_bytes" ] || fail "the PDA area differs from the original"
wine_flash_log_text | grep -q "^PDA written: 12 records (" || fail "the log does not say what was written"
# What the cleared card held was saved too, beside the first backup.
saved=("$WINEPREFIX"/drive_c/pda-00601D123456-*.pda)
expect_eq "backups after the restore" "${#saved[@]}" "2"

# --- a file without the card's MAC record is refused, exit code 1 ---
printf '0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\r\n' >"$WINEPREFIX/drive_c/platform.pda"
wine_run 300 "$BIN/meru.exe" -quiet -restorepda 'c:\platform.pda'
expect_eq "exit code of a refused restore" "$WINE_RC" "1"
expect_eq "PDA after the refusal" "$(pda_report)" "$original"
wine_flash_log_text | grep -qF "holds no MAC address record (0x0101)" || fail "the log does not say why"
echo "PASS"
