#!/bin/bash
# Kestrelsvc as a service under Wine's Service Control Manager: started by
# it, serving a client, ignoring an unknown control, stopped by it; its
# event-log texts are read from Wine's eventlog trace.
set -euo pipefail
BIN=$1
. "$(dirname "$0")/kestrelsvc-lib.sh"
kestrel_test_begin
# The session's first program: services started later inherit its Wine
# messages, which include every ReportEvent text.
EVENTS=$WINE_WORKDIR/events
session_keeper_start "$EVENTS" "-all,+eventlog"
events() { grep -o 'ReportEventW L"[^"]*"' "$EVENTS" | sed 's/^ReportEventW L"//; s/"$//' || true; }
event_logged() { events | grep -qx "$1"; }
# Wait for the session to be up (its event log service starting) before anything else runs.
poll_until 30 grep -q "starting Event Log Service" "$EVENTS" || fail "the Wine session did not start"

wine_run 30 "$BIN/Kestrelsvc.exe" -Service
[ "$WINE_RC" -eq 0 ] || fail "-Service: exit code $WINE_RC"
wine_tool sc start Kestrelsvc >/dev/null || fail "sc start failed"
wait_service_state 4 30
[ -n "$(kestrel_pids)" ] || fail "no service process"
poll_until 10 event_logged "Service started" || fail "no 'Service started' event"

run_client_expecting_codes
sleep 1
[ "$(service_state)" = 4 ] || fail "the service ended with its last client"

wine_run 30 "$BIN/kestrel-client.exe" control Kestrelsvc 200
[ "$WINE_RC" -eq 0 ] || fail "control 200 not delivered"
poll_until 10 event_logged "Bad service request" || fail "no 'Bad service request' event"
[ "$(service_state)" = 4 ] || fail "an unknown control changed the service's state"

wine_tool sc stop Kestrelsvc >/dev/null || fail "sc stop failed"
wait_service_state 1 30
wait_no_kestrel 20 "after the stop control"
event_logged "Service stopped" || fail "no 'Service stopped' event"
echo "events:"
events

wine_run 30 "$BIN/Kestrelsvc.exe" /UnregServer
[ "$WINE_RC" -eq 0 ] || fail "/UnregServer: exit code $WINE_RC"
[ -z "$(service_state)" ] || fail "service still installed after /UnregServer"
echo "PASS"
