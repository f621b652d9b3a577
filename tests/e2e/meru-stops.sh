#!/bin/bash
# A quiet meru.exe that cannot do what it was asked stops with exit code 1,
# says why in c:\flash.log and leaves the card's flash as it was, or, after
# a fault while writing, the same command without the fault finishes the
# job: a download the card stored wrongly, two adapters, a file path too
# long to take, -repeat at its lowest value.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
trap wine_cleanup EXIT
flash() { "$SIM_CARD" read "$STATE" 0x7E0000 0x20000 | sha256sum; "$SIM_CARD" read "$STATE" 0x100000 0x20000 | sha256sum; }
versions() { echo "$(card_line primary | cut -d' ' -f1) $(card_line station | cut -d' ' -f1)"; }

# --- a download the card acknowledged but stored wrongly: the read-back
# fails the run; the next run without the fault recovers the card ---
meru_prefix
"$SIM_CARD" fault "$STATE" download-corrupt once >/dev/null
quiet_run
expect_eq "exit code after a corrupted block" "$WINE_RC" "1"
logged "Update FAILED"
"$SIM_CARD" counters "$STATE" | grep -q "OID_CARD_AUX_READ" || fail "no read-back reached the card"
"$SIM_CARD" fault "$STATE" clear >/dev/null
quiet_run
expect_eq "exit code of the recovery run" "$WINE_RC" "0"
expect_eq "versions after recovery" "$(versions)" "1.4.0 1.5.0"
card_line station | grep -qF "file SA010500.HEX" || fail "station file: $(card_line station)"
wine_cleanup

# --- two adapters: nothing written, the reason in the log ---
meru_prefix
wine_adapters_two
before=$(flash)
quiet_run
expect_eq "exit code with two adapters" "$WINE_RC" "1"
logged "More than one adapter is installed."
expect_eq "flash with two adapters" "$(flash)" "$before"
wine_cleanup

# --- a file path too long for the program: refused, never replaced by the
# catalogue's station, nothing written ---
meru_prefix
long="C:\\$(printf 'x%.0s' $(seq 1 260))\\SA010300.HEX"
before=$(flash)
quiet_run -olderOK "$long"
expect_eq "exit code with a path too long" "$WINE_RC" "1"
logged "File path too long; it cannot be queued:"
expect_eq "downloads with a path too long" "$(downloads)" "0"
expect_eq "flash with a path too long" "$(flash)" "$before"
wine_cleanup

# --- -repeat at the lowest value there is: one run ---
meru_prefix
quiet_run -olderOK -repeat -2147483648
expect_eq "exit code of -repeat -2147483648" "$WINE_RC" "0"
[ "$(grep -cxF "Updating flash" "$LOG")" -eq 2 ] || fail "not one programming run of two images"
echo "PASS"
