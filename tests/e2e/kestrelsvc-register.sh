#!/bin/bash
# Kestrelsvc.exe registration in a real Wine registry and Service Control
# Manager: /RegServer, -Service, /UnregServer, and a command followed by
# further text. A message box would block a run until its time limit.
set -euo pipefail
BIN=$1
. "$(dirname "$0")/kestrelsvc-lib.sh"
kestrel_test_begin
wine_display_start
EXE="$BIN/Kestrelsvc.exe"
ENTRIES=$WINE_WORKDIR/entries
APP="$HKCR\\AppID\\$KESTREL_APPID"
CLASS="$HKCR\\CLSID\\$KESTREL_CLSID"

# Not registered: "/RegServer extra" is no command, and the run finds no AppID (2).
wine_run 30 "$EXE" "/RegServer extra"
[ "$WINE_RC" -eq 2 ] || fail "unregistered run: exit code $WINE_RC, expected 2"

wine_run 30 "$EXE" /RegServer
[ "$WINE_RC" -eq 0 ] || fail "/RegServer: exit code $WINE_RC"
kestrel_entries >"$ENTRIES"
cat "$ENTRIES"
expect_entry "$ENTRIES" "$APP|(Default)=Kestrelsvc"
expect_entry "$ENTRIES" "$HKCR\\AppID\\Kestrelsvc.EXE|AppID=$KESTREL_APPID"
expect_entry "$ENTRIES" "$HKCR\\Kestrelsvc.DevEnabler.1|(Default)=DevEnabler Class"
expect_entry "$ENTRIES" "$HKCR\\Kestrelsvc.DevEnabler.1\\CLSID|(Default)=$KESTREL_CLSID"
expect_entry "$ENTRIES" "$HKCR\\Kestrelsvc.DevEnabler|(Default)=DevEnabler Class"
expect_entry "$ENTRIES" "$HKCR\\Kestrelsvc.DevEnabler\\CLSID|(Default)=$KESTREL_CLSID"
expect_entry "$ENTRIES" "$HKCR\\Kestrelsvc.DevEnabler\\CurVer|(Default)=Kestrelsvc.DevEnabler.1"
expect_entry "$ENTRIES" "$CLASS|(Default)=DevEnabler Class"
expect_entry "$ENTRIES" "$CLASS|AppID=$KESTREL_APPID"
expect_entry "$ENTRIES" "$CLASS\\ProgID|(Default)=Kestrelsvc.DevEnabler.1"
expect_entry "$ENTRIES" "$CLASS\\VersionIndependentProgID|(Default)=Kestrelsvc.DevEnabler"
expect_entry "$ENTRIES" "$CLASS\\Programmable"
expect_entry "$ENTRIES" "$CLASS\\TypeLib|(Default)=$KESTREL_LIBID"
expect_entry "$ENTRIES" "$HKCR\\TypeLib\\$KESTREL_LIBID\\1.0|(Default)=Kestrelsvc 1.0 Type Library"
expect_entry "$ENTRIES" "$HKCR\\Interface\\$KESTREL_IID|(Default)=IDevEnabler"
expect_no_entry_like "$ENTRIES" "$APP|LocalService="
SERVER=$(entry_value "$ENTRIES" "$CLASS\\LocalServer32|(Default)=")
[[ "${SERVER##*\\}" =~ ^[^.]{1,8}\.[A-Za-z]{1,3}$ ]] || fail "LocalServer32 is not the short path: $SERVER"
expect_names_program "$SERVER" "LocalServer32"
expect_names_program "$(entry_value "$ENTRIES" "$HKCR\\TypeLib\\$KESTREL_LIBID\\1.0\\HELPDIR|(Default)=")\\Kestrelsvc.exe" \
    "the type library's help directory"

# Registered: the same command line runs as a local server that no client
# uses, so it serves until the time limit.
wine_run 8 "$EXE" "/RegServer extra" >"$WINE_WORKDIR/run.out"
[ "$WINE_RC" -eq 124 ] || fail "registered run with '/RegServer extra' ended by itself ($WINE_RC)"
grep -qx "Service started" <(tr -d '\r' <"$WINE_WORKDIR/run.out") || fail "local server did not log 'Service started'"
wait_no_kestrel 10 "after the time limit"

# As a service: LocalService/ServiceParameters and an auto-start service
# that depends on RPCSS. (Wine's sc has no "qc": the Service Control
# Manager's own configuration keys are read instead.)
wine_run 30 "$EXE" -Service
[ "$WINE_RC" -eq 0 ] || fail "-Service: exit code $WINE_RC"
kestrel_entries >"$ENTRIES"
expect_entry "$ENTRIES" "$APP|LocalService=Kestrelsvc"
expect_entry "$ENTRIES" "$APP|ServiceParameters=-Service"
reg_entries "$SERVICE_KEY" >"$WINE_WORKDIR/service"
cat "$WINE_WORKDIR/service"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|Start=0x2"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|Type=0x10"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|ErrorControl=0x1"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|DependOnService=RPCSS"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|ObjectName=LocalSystem"
expect_entry "$WINE_WORKDIR/service" "$SERVICE_KEY|DisplayName=Kestrelsvc"
expect_names_program "$(entry_value "$WINE_WORKDIR/service" "$SERVICE_KEY|ImagePath=")" "the service's ImagePath"
[ -n "$(service_state)" ] || fail "sc query does not know the service"

# Again as a service: deleted and created anew.
wine_run 30 "$EXE" -service
[ "$WINE_RC" -eq 0 ] || fail "second -Service: exit code $WINE_RC"
[ -n "$(service_state)" ] || fail "service missing after registering twice"

# As a local server again: the service and LocalService go.
wine_run 30 "$EXE" -REGSERVER
[ "$WINE_RC" -eq 0 ] || fail "/RegServer after -Service: exit code $WINE_RC"
[ -z "$(service_state)" ] || fail "service still installed after /RegServer"
kestrel_entries >"$ENTRIES"
expect_no_entry_like "$ENTRIES" "$APP|LocalService="
expect_entry "$ENTRIES" "$APP|(Default)=Kestrelsvc"

# Unregistering removes the entries, the type library and the service.
wine_run 30 "$EXE" -Service
[ "$WINE_RC" -eq 0 ] || fail "-Service before /UnregServer: exit code $WINE_RC"
wine_run 30 "$EXE" /UnregServer
[ "$WINE_RC" -eq 0 ] || fail "/UnregServer: exit code $WINE_RC"
kestrel_entries >"$ENTRIES"
[ ! -s "$ENTRIES" ] || { cat "$ENTRIES"; fail "entries left after /UnregServer"; }
[ -z "$(service_state)" ] || fail "service still installed after /UnregServer"
wine_tool reg query "$HKCR\\AppID" >/dev/null 2>&1 || fail "the AppID key itself was removed"

# Again, with nothing registered and no service: 0 and no message box.
wine_run 30 "$EXE" /UnregServer
[ "$WINE_RC" -eq 0 ] || fail "second /UnregServer: exit code $WINE_RC"
echo "PASS"
