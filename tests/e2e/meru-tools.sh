#!/bin/bash
# The maintenance tools of the real meru.exe against the software card,
# driven from outside: the PDA in the text window and its Clipboard button,
# the PDA settings dialog writing a new MAC address and serial number (with
# its backup), the CIS, driver version and MAC ID, a flash dump through the
# save dialog, the text window without RichEdit 2.0 (riched20.dll switched
# off by a Wine DLL override, so that it cannot be loaded, as on a plain
# Windows 95), and the .pda file association on Windows 95 and on NT.
set -euo pipefail
# Absolute paths: meru.exe runs in the test's own folder, so that a file
# dialog that goes wrong can only write there.
set -- "$(cd "$1" && pwd)" "$(realpath "$2")"
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT

PDA_ADDRESS=0x7F0000  # MAC type 2 (sim/README.md)
CIS_ADDRESS=0x7EFE00
DUMP_ADDRESS=0x7E0000
PDA_SETTINGS="View / Modify PDA Settings"
SAVE_DIALOG="Save As"

# The card's bytes, one hexadecimal pair a line, as the card reads them.
card_bytes() {  # ADDRESS COUNT
    "$SIM_CARD" read "$STATE" "$1" "$2" | cut -d: -f2 | tr ' ' '\n' | grep .
}

# The text window's PDA as the card's flash gives it: the records walked by
# their length words up to the end record, each word in lower-case hex and
# a blank, "\r\n" (as the driver prints it) between the lines.
expected_pda_text() {
    card_bytes "$PDA_ADDRESS" 1024 | awk '
        function hex(s,   i, v) {
            v = 0
            for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", toupper(substr(s, i, 1))) - 1
            return v
        }
        { b[n++] = hex($1) }
        END {
            words = int(n / 2)
            for (k = 0; k < words; k++) w[k] = b[2 * k] + 256 * b[2 * k + 1]
            text = ""
            for (i = 0; i < words && w[i] > 0; i += w[i] + 1) {
                line = ""
                for (j = i; j <= i + w[i] && j < words; j++) line = line sprintf("%x ", w[j])
                text = text (i > 0 ? "\\r\\n" : "") line
                if (w[i + 1] == 0) break  # the end record
            }
            print text
        }'
}

# The text window's CIS: the heading, then the tuples (code, link, body)
# one a line until the end code 0xFF, as the card's 512 bytes give them.
expected_cis_text() {
    card_bytes "$CIS_ADDRESS" 512 | awk '
        function hex(s,   i, v) {
            v = 0
            for (i = 1; i <= length(s); i++) v = v * 16 + index("0123456789ABCDEF", toupper(substr(s, i, 1))) - 1
            return v
        }
        { b[n++] = hex($1) }
        END {
            text = "; CIS from flash\\r\\n; -------------------------"
            next_tuple = 0
            ended = 0
            for (i = 0; i < n && !ended; i++) {
                if (i >= next_tuple) {
                    if (b[i] == 255) ended = 1
                    text = text "\\r\\n"
                    next_tuple += b[i + 1] + 2
                }
                text = text sprintf("%x ", b[i])
            }
            print text
        }'
}

box_text() { driver box-wait "$1" 30 | cut -f2-; }  # BOX: the box's text
control_class() { driver controls "$1" | awk -F'\t' -v id="$2" '$1 == id { print $2 }'; }  # TITLE ID
hkcr_default() {  # KEY: the default value of HKEY_CLASSES_ROOT\KEY
    wine_tool reg query "HKCR\\$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}
hkcr_exists() { wine_tool reg query "HKCR\\$1" >/dev/null 2>&1; }
# TEXT WHAT: presses the PDA window's Clipboard button and waits up to ten
# seconds for the clipboard to hold TEXT.
clipboard_button_copies() {
    local i
    driver command "PDA:" 1053 >/dev/null
    for i in $(seq 1 50); do
        [ "$(driver clipboard 2>/dev/null || true)" = "$1" ] && return 0
        sleep 0.2
    done
    fail "$2 did not copy the text: $(driver clipboard 2>&1 || true)"
}

# --- a card ready to upgrade: the tools over its selected adapter ---
meru_prefix
cd "$WINE_WORKDIR"
meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "Please click continue" 60 >/dev/null || fail "no ready window: $(status)"

# Show PDA: the card's records, one a line, in the text window.
driver command "$TITLE" 32773 >/dev/null
driver dialog-wait "PDA:" 30 >/dev/null || fail "no PDA window"
pda=$(driver dialog-text "PDA:" 1044)
expected=$(expected_pda_text)
expect_eq "PDA window" "$pda" "$expected"
expect_eq "PDA window's text control" "$(control_class "PDA:" 1044)" "RichEdit20A"
mac_record=$(card_line "  0x0101 (length 4)")
[ "$mac_record" = "0x6000 0x121D 0x5634" ] || fail "the card's MAC record: $mac_record"
case "$pda" in *'\r\n4 101 6000 121d 5634 \r\n'*) ;; *) fail "no MAC record line in the PDA window: $pda" ;; esac
records=$("$SIM_CARD" show "$STATE" | sed -n 's/^PDA: \([0-9]*\) records.*/\1/p')
# One line a record and one for the end record: as many line breaks as records.
expect_eq "PDA window line breaks" "$(grep -o '\\r\\n' <<<"$pda" | wc -l)" "$records"
expect_eq "OK caption" "$(driver dialog-text "PDA:" 1)" "Close"
expect_eq "Cancel caption" "$(driver dialog-text "PDA:" 2)" "Close"
expect_eq "OK state" "$(driver state "PDA:" 1)" "visible enabled"
clipboard_button_copies "$pda" "the Clipboard button"
shot meru-pda-window
driver command "PDA:" 2 >/dev/null
driver wait-gone "PDA:" 20 >/dev/null || fail "the PDA window stayed"

# Edit MAC Address and Serial Number: cancelled, nothing is written.
driver command "$TITLE" 1015 >/dev/null
driver dialog-wait "$PDA_SETTINGS" 30 >/dev/null || fail "no PDA settings dialog"
expect_eq "MAC field" "$(driver dialog-text "$PDA_SETTINGS" 1019)" "00-60-1D-12-34-56"
expect_eq "serial field" "$(driver dialog-text "$PDA_SETTINGS" 1018)" "99SA00012345"
expect_eq "Convert to Uppercase" "$(driver checked "$PDA_SETTINGS" 1022)" "checked"
expect_eq "OK caption" "$(driver dialog-text "$PDA_SETTINGS" 1)" "Write to Card Now"
driver settext "$PDA_SETTINGS" 1018 "changed" >/dev/null
driver command "$PDA_SETTINGS" 2 >/dev/null
driver wait-gone "$PDA_SETTINGS" 20 >/dev/null || fail "the PDA settings dialog stayed after Cancel"
expect_eq "MAC record after Cancel" "$(card_line "  0x0101 (length 4)")" "0x6000 0x121D 0x5634"
ls "$WINEPREFIX"/drive_c/pda-*.pda >/dev/null 2>&1 && fail "a PDA backup after Cancel"

# ...then a new MAC address, typed without separators, and a serial number.
driver command "$TITLE" 1015 >/dev/null
driver dialog-wait "$PDA_SETTINGS" 30 >/dev/null || fail "no PDA settings dialog"
driver settext "$PDA_SETTINGS" 1019 "00-60-B3" >/dev/null
expect_eq "a MAC field that is no MAC address yet" "$(driver dialog-text "$PDA_SETTINGS" 1019)" "00-60-B3"
driver command "$PDA_SETTINGS" 1 >/dev/null
expect_eq "box over the dialog" "$(box_text "$PDA_SETTINGS")" "Bad MAC Address"
driver box-press "$PDA_SETTINGS" OK >/dev/null
driver dialog-wait "$PDA_SETTINGS" 5 >/dev/null || fail "the dialog ended on a bad MAC address"
driver settext "$PDA_SETTINGS" 1019 "0060b31a2b3c" >/dev/null
driver wait-text "$PDA_SETTINGS" 1019 "00-60-B3-1A-2B-3C" 20 >/dev/null ||
    fail "the MAC field was not reformatted: $(driver dialog-text "$PDA_SETTINGS" 1019)"
expect_eq "MAC field reformatted" "$(driver dialog-text "$PDA_SETTINGS" 1019)" "00-60-B3-1A-2B-3C"
driver settext "$PDA_SETTINGS" 1018 "ab12" >/dev/null
shot meru-pda-edit
driver command "$PDA_SETTINGS" 1 >/dev/null
expect_eq "PDA Update box" "$(driver box-wait "PDA Update" 60)" \
    "PDA Update	PDA Update Successful! You MUST reload station code for changes to take effect."
driver box-press "PDA Update" OK >/dev/null
driver wait-gone "$PDA_SETTINGS" 20 >/dev/null || fail "the PDA settings dialog stayed"
expect_eq "MAC record on the card" "$(card_line "  0x0101 (length 4)")" "0x6000 0x1AB3 0x3C2B"
# "ab12" upper-cased: A B, 1 2, then zeros.
expect_eq "serial record on the card" "$(card_line "  0x0003 (length 7)")" \
    "0x4241 0x3231 0x0000 0x0000 0x0000 0x0000"
"$SIM_CARD" show "$STATE" | grep -q "^PDA: .*(good)$" || fail "the PDA's check value: $(card_line PDA)"
expect_eq "main window's PDA MAC" "$(driver text "$TITLE" 1020)" "00-60-B3-1A-2B-3C"
expect_eq "main window's serial number" "$(driver text "$TITLE" 1021)" "AB12"
# The production data as it was read went to a backup file beside the log.
backups=("$WINEPREFIX"/drive_c/pda-00601D123456-*.pda)
[ -f "${backups[0]}" ] || fail "no PDA backup in drive_c: $(ls "$WINEPREFIX/drive_c")"
[ "${#backups[@]}" -eq 1 ] || fail "more than one PDA backup: ${backups[*]}"
backup=$(basename "${backups[0]}")
wine_flash_log_text | grep -qxF "PDA backup written to c:\\$backup" || fail "the log does not name $backup"
tr -d '\r' <"${backups[0]}" | grep -qxF "0x0004, 0x0101, 0x6000, 0x121D, 0x5634" ||
    fail "the backup lacks the old MAC record: $(cat "${backups[0]}")"

# Show PDA again: the new records, as the card now holds them.
driver command "$TITLE" 32773 >/dev/null
driver dialog-wait "PDA:" 30 >/dev/null || fail "no PDA window"
expect_eq "PDA window after the edit" "$(driver dialog-text "PDA:" 1044)" "$(expected_pda_text)"
driver command "PDA:" 1 >/dev/null
driver wait-gone "PDA:" 20 >/dev/null || fail "the PDA window stayed"

# Show CIS: the card's tuples.
driver command "$TITLE" 32778 >/dev/null
driver dialog-wait "CIS:" 30 >/dev/null || fail "no CIS window"
cis=$(driver dialog-text "CIS:" 1044)
expect_eq "CIS window" "$cis" "$(expected_cis_text)"
case "$cis" in *'\r\nff ') ;; *) fail "the CIS does not end with its end code: $cis" ;; esac
driver command "CIS:" 2 >/dev/null
driver wait-gone "CIS:" 20 >/dev/null || fail "the CIS window stayed"

# Query Driver Version: the card's driver version 7.1.3.
"$SIM_CARD" show "$STATE" | grep -qx "driver version: 0x00070103 (7.1.3)" || fail "unexpected card driver version"
driver command "$TITLE" 32780 >/dev/null
expect_eq "driver version box" "$(driver box-wait - 30)" "Driver Version for Selected Card	Version: 7. 1. 3"
driver box-press - OK >/dev/null

# Show MAC ID: an MX200 card.
driver command "$TITLE" 32779 >/dev/null
expect_eq "MAC ID box" "$(driver box-wait - 30)" 'MAC ID:	MAC ID: 2\n\n(Indicates MX200-based MAC)'
driver box-press - OK >/dev/null

# Dump Firmware to File: the save dialog proposes the serial number.
driver command "$TITLE" 32781 >/dev/null
expect_eq "dump warning" "$(driver box-wait "Warning Notice" 30 | cut -f2)" \
    "WARNING - This procedure is not guaranteed to work. This procedure only works on VELOX cards with parallel flash! Do you wish to continue?"
driver box-press "Warning Notice" OK >/dev/null
driver dialog-wait "$SAVE_DIALOG" 30 >/dev/null || fail "no save dialog"
driver wait-visible "$SAVE_DIALOG" 30 >/dev/null || fail "the save dialog stays hidden"
# Wine's file dialog: the file name is combo box 1148, the type list 1136.
expect_eq "proposed file name" "$(driver dialog-text "$SAVE_DIALOG" 1148)" "AB12"
expect_eq "file type" "$(driver dialog-text "$SAVE_DIALOG" 1136)" "Hex File (*.hex)"
driver settext "$SAVE_DIALOG" 1148 'C:\card-dump.hex' >/dev/null
driver command "$SAVE_DIALOG" 1 >/dev/null
expect_eq "dump box" "$(box_text - )" "File Saved Successfully."
driver box-press - OK >/dev/null
dump=$WINEPREFIX/drive_c/card-dump.hex
[ -f "$dump" ] || fail "no dump file in drive_c"
expect_eq "last line of the dump" "$(tail -n1 "$dump" | tr -d '\r')" "S70500000000FA"
objcopy -I srec -O binary "$dump" "$WINE_WORKDIR/dump.bin"
card_bytes "$DUMP_ADDRESS" 131072 | tr -d '\n' | xxd -r -p >"$WINE_WORKDIR/card.bin"
expect_eq "card window bytes" "$(stat -c %s "$WINE_WORKDIR/card.bin")" "131072"
cmp -s "$WINE_WORKDIR/dump.bin" "$WINE_WORKDIR/card.bin" || fail "the dump differs from the card's flash"
expect_eq "dump start address" "$(head -n1 "$dump" | cut -c1-12)" "S315007E0000"

# File association on the NT family: refused, nothing written.
driver syscommand "$TITLE" 18 >/dev/null
expect_eq "NT box" "$(driver box-wait Sorry 30)" "Sorry	Not implemented for NT yet."
driver box-press Sorry OK >/dev/null
hkcr_exists .pda && fail "HKCR\\.pda written on NT"
hkcr_exists VELOX.pda && fail "HKCR\\VELOX.pda written on NT"

driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30

# Without RichEdit 2.0: Show PDA gives the same text in a plain edit, and
# its Clipboard button still copies it.
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;riched20=d" meru_start
meru_wait_window
driver wait-text "$TITLE" 1066 "Please click continue" 60 >/dev/null || fail "no ready window without RichEdit 2.0: $(status)"
driver command "$TITLE" 32773 >/dev/null
driver dialog-wait "PDA:" 30 >/dev/null || fail "no PDA window without RichEdit 2.0"
expect_eq "PDA window's text control without RichEdit 2.0" "$(control_class "PDA:" 1044)" "Edit"
pda=$(driver dialog-text "PDA:" 1044)
expect_eq "PDA window without RichEdit 2.0" "$pda" "$(expected_pda_text)"
expect_eq "OK caption without RichEdit 2.0" "$(driver dialog-text "PDA:" 1)" "Close"
expect_eq "Cancel caption without RichEdit 2.0" "$(driver dialog-text "PDA:" 2)" "Close"
# The clipboard still holds the PDA as it was before the edit.
[ "$(driver clipboard 2>/dev/null || true)" != "$pda" ] || fail "the clipboard holds the new PDA before the copy"
clipboard_button_copies "$pda" "the Clipboard button of the plain text window"
shot meru-pda-window-plain
driver command "PDA:" 2 >/dev/null
driver wait-gone "PDA:" 20 >/dev/null || fail "the plain PDA window stayed"
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
cd /
wine_cleanup

# --- Windows 95: system commands 18 and 17 register .pda and .hex ---
meru_prefix
export VELOX_SIM_OS=9x
cd "$WINE_WORKDIR"
meru_start
meru_wait_window
program=$(wine_tool winepath -w "$BIN/meru.exe" 2>/dev/null | tr -d '\r')
driver syscommand "$TITLE" 18 >/dev/null
for i in $(seq 1 100); do
    [ -n "$(hkcr_default 'VELOX.pda\shell\open\command')" ] && break
    [ "$i" -lt 100 ] || fail "system command 18 wrote no open command"
    sleep 0.2
done
expect_eq ".pda" "$(hkcr_default .pda)" "VELOX.pda"
expect_eq "VELOX.pda" "$(hkcr_default VELOX.pda)" "VELOX firmware update (.pda)"
icon=$(hkcr_default 'VELOX.pda\DefaultIcon')
expect_eq "VELOX.pda icon" "$icon" "$program,3"
expect_eq "VELOX.pda open verb" "$(hkcr_default 'VELOX.pda\shell\open')" "Launch &Tolvan"
expect_eq "VELOX.pda open command" "$(hkcr_default 'VELOX.pda\shell\open\command')" "$program \"%1\""
expect_eq "VELOX.pda edit verb" "$(hkcr_default 'VELOX.pda\shell\edit')" "&Edit"
expect_eq "VELOX.pda edit command" "$(hkcr_default 'VELOX.pda\shell\edit\command')" 'notepad "%1"'
driver syscommand "$TITLE" 17 >/dev/null
for i in $(seq 1 100); do
    [ -n "$(hkcr_default 'VELOX.hex\shell\open\command')" ] && break
    [ "$i" -lt 100 ] || fail "system command 17 wrote no open command"
    sleep 0.2
done
expect_eq ".hex" "$(hkcr_default .hex)" "VELOX.hex"
expect_eq "VELOX.hex icon" "$(hkcr_default 'VELOX.hex\DefaultIcon')" "$program,2"
hkcr_exists 'VELOX.hex\shell\edit' && fail "an edit verb for .hex"
if driver box-wait - 1 >/dev/null 2>&1; then fail "a box on Windows 95: $(driver box-wait - 1)"; fi
driver command "$TITLE" 1064 >/dev/null
meru_wait_exit 30
echo "PASS"
