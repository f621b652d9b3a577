#!/bin/bash
# The card library bound to KBW32N50.dll by import, as meru.exe is: the
# probe finds the software card's adapter in the prefix's registry, opens it
# with identification and prints what the card reports, which must be what
# the card's state file holds; a download outside a programming session is
# refused by the card and leaves its flash as it was. A disabled adapter
# does not open, and a library that cannot start its driver is reported.
#   $1  folder of the Windows programs    $2  the native velox-sim-card tool
set -euo pipefail
BIN=$1
SIM_CARD=$2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine-lib.sh"
. "$HERE/../../sim/fixtures/wine-adapters.sh"
trap wine_cleanup EXIT

# run_probe OUT: runs card-probe.exe, its output as Unix text in OUT; sets PROBE_RC.
run_probe() {
    wine_run 120 "$BIN/card-probe.exe" >"$1.raw" 2>"$1.err"
    PROBE_RC=$WINE_RC
    tr -d '\r' <"$1.raw" >"$1"
    cat "$1"
}
expect_line() { grep -qxF -- "$2" "$1" || fail "probe did not print: $2"; }

# --- one enabled adapter with a fresh MX200 card ---
wine_prefix_new
STATE=$WINE_WORKDIR/card.state
"$SIM_CARD" new --mac-type 2 --platform 1 "$STATE" >/dev/null
export VELOX_SIM_STATE="Z:$STATE"
wine_adapters_one
SHOW=$WINE_WORKDIR/show.txt
"$SIM_CARD" show "$STATE" >"$SHOW"
BEFORE=$("$SIM_CARD" read "$STATE" 0x7E0000 16)

OUT=$WINE_WORKDIR/probe.txt
run_probe "$OUT"
[ "$PROBE_RC" -eq 0 ] || { cat "$OUT.err"; fail "probe exit code $PROBE_RC"; }

expect_line "$OUT" "library: ok"
expect_line "$OUT" "adapters: 1"
expect_line "$OUT" "adapter 0: VELOX 11 Mbit/s Wireless LAN PC Card"
expect_line "$OUT" "open: ok"
expect_line "$OUT" "macType: 0x0002"
expect_line "$OUT" "pdaAddress: 0x7F0000 cisAddress: 0x7EFE00 dumpAddress: 0x7E0000"

# The identities are the card's, as its state file holds them.
primary=$(sed -n 's/^primary: \([0-9.]*\) .*/\1/p' "$SHOW")
station=$(sed -n 's/^station: \([0-9.]*\) .*/\1/p' "$SHOW")
primary_file=$(sed -n 's/^primary: .*, file \(.*\)$/\1/p' "$SHOW")
station_file=$(sed -n 's/^station: .*, file \(.*\)$/\1/p' "$SHOW")
mac=$(sed -n 's/^permanent address: //p' "$SHOW")
driver=$(sed -n 's/^driver version: .*(\(.*\))$/\1/p' "$SHOW")
pda=$(sed -n 's/^PDA: \([0-9]*\) records, CRC stored \(0x[0-9A-F]*\),.*/\1 records, check value \2/p' "$SHOW")
[ -n "$primary" ] && [ -n "$station" ] && [ -n "$mac" ] && [ -n "$pda" ] || fail "cannot read the card's show output"
expect_line "$OUT" "versions: Primary: $primary   Station: $station"
expect_line "$OUT" "files: $primary_file $station_file"
expect_line "$OUT" "mac: $mac"
expect_line "$OUT" "driver: $driver"
expect_line "$OUT" "pda: $pda"

# The download without blocked protocols: refused by the card, flash untouched.
grep -qE '^download before blocking protocols: refused, status 0x[C-F][0-9A-F]{7}$' "$OUT" ||
    fail "the card did not refuse the download outside a session"
"$SIM_CARD" counters "$STATE" | grep -qE '^0xFF01018C OID_CARD_DOWNLOAD requests 1 failures 1 ' ||
    fail "the card did not count one refused download"
[ "$("$SIM_CARD" read "$STATE" 0x7E0000 16)" = "$BEFORE" ] || fail "the refused download changed the flash"

# --- the adapter disabled in the hardware profile; then no driver ---
wine_cleanup
wine_prefix_new
STATE=$WINE_WORKDIR/card.state
OUT=$WINE_WORKDIR/probe.txt
"$SIM_CARD" new --mac-type 2 --platform 1 "$STATE" >/dev/null
export VELOX_SIM_STATE="Z:$STATE"
wine_adapters_disabled
run_probe "$OUT"
[ "$PROBE_RC" -eq 1 ] || fail "probe exit code $PROBE_RC with the adapter disabled"
expect_line "$OUT" "adapters: 1"
expect_line "$OUT" "open: failed"

"$SIM_CARD" fault "$STATE" library-error 5 >/dev/null
run_probe "$OUT"
[ "$PROBE_RC" -eq 2 ] || fail "probe exit code $PROBE_RC without the driver"
grep -qF "box: [Startup Error] The system reports that you have insufficient privileges" "$OUT" ||
    fail "no privileges message"
expect_line "$OUT" "library: unavailable"
echo "PASS"
