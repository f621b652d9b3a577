#!/bin/bash
# DevEnabler through COM under Wine: the in-process COM rules of the object,
# then kestrel-client.exe against the local server that COM starts; the
# server ends once the client lets go.
set -euo pipefail
BIN=$1
. "$(dirname "$0")/kestrelsvc-lib.sh"
kestrel_test_begin
wine_display_start
# Wine ends the programs COM started when its last ordinary program ends; the
# keeper holds the session open so that only the server itself can end it.
session_keeper_start /dev/null
wine_run 30 "$BIN/Kestrelsvc.exe" /RegServer
[ "$WINE_RC" -eq 0 ] || fail "/RegServer: exit code $WINE_RC"
kestrel_learn_short_name

wine_run 60 "$BIN/kestrel-checks.exe" >"$WINE_WORKDIR/check.out"
tr -d '\r' <"$WINE_WORKDIR/check.out"
[ "$WINE_RC" -eq 0 ] || fail "kestrel-checks: $WINE_RC failed checks"

run_client_expecting_codes
wait_no_kestrel 20 "after the client let go"
echo "PASS"
