#!/bin/bash
# The PDA restore of the real meru.exe: Clear PDA through the tools saves
# the card's production data beside the session log; "-restorepda" of that
# backup first names the card and the file (Cancel writes nothing) and,
# quiet, puts back every word of the production data area with exit code 0.
# Refused with exit code 1, writing nothing: a file without the MAC record,
# a card whose PDA cannot be read (it could not be saved first), another
# card's backup unless -otherMacOK. A backup of a PDA of bad check value
# gives back the same 512 words.
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
    *"(MAC address 00-60-1D-12-34-56) with the production data area saved in \"c:\\$backup\"?"*) ;;
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
saved=("$WINEPREFIX"/drive_c/pda-*.pda)
expect_eq "backups after the restore" "${#saved[@]}" "2"

# --- a file without the card's MAC record is refused, exit code 1 ---
printf '0x0005, 0x0008, 0x0201, 0x0001, 0x0001, 0x0000\r\n' >"$WINEPREFIX/drive_c/platform.pda"
wine_run 300 "$BIN/meru.exe" -quiet -restorepda 'c:\platform.pda'
expect_eq "exit code of a refused restore" "$WINE_RC" "1"
expect_eq "PDA after the refusal" "$(pda_report)" "$original"
wine_flash_log_text | grep -qF "holds no MAC address record (0x0101)" || fail "the log does not say why"

# --- the card's PDA cannot be read: it cannot be saved, nothing is written ---
"$SIM_CARD" fault "$STATE" read-refuse nth 1 range 0x7F0000 0x7F03FF >/dev/null
"$SIM_CARD" fault "$STATE" read-refuse nth 2 range 0x7F0000 0x7F03FF >/dev/null
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$backup"
expect_eq "exit code over an unreadable PDA" "$WINE_RC" "1"
grep -q "read-refuse" <<<"$("$SIM_CARD" counters "$STATE")" ||
    fail "the reads were not refused: $("$SIM_CARD" counters "$STATE")"
"$SIM_CARD" fault "$STATE" clear >/dev/null
[ "$(pda_bytes)" = "$original_bytes" ] || fail "written over an unreadable PDA"
wine_flash_log_text | grep -qF "The card's PDA could not be read." || fail "the log does not say why"
unreadable=("$WINEPREFIX"/drive_c/pda-*.pda)
expect_eq "backups after the refusal" "${#unreadable[@]}" "2"

# --- another card: card A's backup is refused quietly, asked about, and
# written with -otherMacOK ---
"$SIM_CARD" new --mac-type 2 --platform 0x0201 --mac 00-60-1D-99-88-77 "$STATE" >/dev/null
other_bytes=$(pda_bytes)
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$backup"
expect_eq "exit code for another card's backup" "$WINE_RC" "1"
[ "$(pda_bytes)" = "$other_bytes" ] || fail "another card's backup was written"
wine_flash_log_text | grep -qF "names the MAC address 00-60-1D-12-34-56, not the card's 00-60-1D-99-88-77" ||
    fail "the log does not name both addresses"
meru_start -restorepda "c:\\$backup"
question=$(driver box-wait "PDA Restore" 60)
case "$question" in
    *"(MAC address 00-60-1D-99-88-77)"*"it names the MAC address 00-60-1D-12-34-56, this card's is 00-60-1D-99-88-77"*) ;;
    *) fail "the question about another card: $question" ;;
esac
driver box-press "PDA Restore" Cancel >/dev/null
meru_wait_window
[ "$(pda_bytes)" = "$other_bytes" ] || fail "written after Cancel"
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$backup" -otherMacOK
expect_eq "exit code with -otherMacOK" "$WINE_RC" "0"
[ "$(pda_bytes)" = "$original_bytes" ] || fail "the backup was not written with -otherMacOK"

# --- a PDA of bad check value: its backup gives back the same 512 words ---
"$SIM_CARD" fault "$STATE" pda-bad-crc >/dev/null
bad_bytes=$(pda_bytes)
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$backup" -otherMacOK
expect_eq "exit code over a PDA of bad check value" "$WINE_RC" "0"
bad_backups=("$WINEPREFIX"/drive_c/pda-nomac-00601D998877-*.pda)
[ "${#bad_backups[@]}" -eq 1 ] && [ -f "${bad_backups[0]}" ] ||
    fail "not one backup of the bad PDA: $(ls "$WINEPREFIX/drive_c")"
wine_run 300 "$BIN/meru.exe" -quiet -restorepda "c:\\$(basename "${bad_backups[0]}")"
expect_eq "exit code of the restore of the bad PDA" "$WINE_RC" "0"
[ "$(pda_bytes)" = "$bad_bytes" ] || fail "the bad PDA did not come back word for word"
echo "PASS"
