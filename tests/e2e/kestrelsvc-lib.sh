# Helpers of the Kestrelsvc end-to-end tests (they source this file only).
. "$(dirname "${BASH_SOURCE[0]}")/wine-lib.sh"

KESTREL_APPID='{401B7581-8B27-4743-A862-FF6BB8E6A970}'
KESTREL_CLSID='{DF94C14D-8B76-4659-AE47-416AE3AE0F30}'
KESTREL_LIBID='{85D65926-2494-4623-BA68-BB46D44083EA}'
KESTREL_IID='{3F92422B-C7CC-421E-81ED-DC9553778724}'
HKCR='HKEY_CLASSES_ROOT'
SERVICE_KEY='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Kestrelsvc'

# reg_entries KEY...: every key below each KEY as a line "KEY", every value
# as "KEY|NAME=DATA" (NAME "(Default)" for the default value).
reg_entries() {
    local key
    for key in "$@"; do
        wine_tool reg query "$key" /s 2>/dev/null | tr -d '\r' | awk '
            /^HKEY_/ { key = $0; print key; next }
            /^    [^ ]/ {
                line = substr($0, 5); n = index(line, "    ")
                name = substr(line, 1, n - 1); rest = substr(line, n + 4); m = index(rest, "    ")
                print key "|" name "=" (m ? substr(rest, m + 4) : "")
            }' || true
    done
}

# The registry entries of Kestrelsvc (AppID, ProgIDs, class, type library, interface).
kestrel_entries() {
    reg_entries "$HKCR\\AppID\\$KESTREL_APPID" "$HKCR\\AppID\\Kestrelsvc.EXE" \
        "$HKCR\\Kestrelsvc.DevEnabler.1" "$HKCR\\Kestrelsvc.DevEnabler" "$HKCR\\CLSID\\$KESTREL_CLSID" \
        "$HKCR\\TypeLib\\$KESTREL_LIBID" "$HKCR\\Interface\\$KESTREL_IID"
}

expect_entry() {  # FILE LINE
    grep -qxF -- "$2" "$1" || fail "missing registry entry: $2"
}

expect_no_entry_like() {  # FILE PREFIX
    if grep -qF -- "$2" "$1"; then fail "registry entry still there: $(grep -F -- "$2" "$1" | head -n1)"; fi
}

# The value of one entry line KEY|NAME=..., or nothing.
entry_value() {  # FILE KEY|NAME=
    grep -F -- "$2" "$1" | head -n1 | cut -c$((${#2} + 1))- || true
}

# The Windows path names the program itself.
expect_names_program() {  # WINDOWS_PATH WHAT
    local unix
    unix=$(wine_tool winepath -u "$1" 2>/dev/null | tr -d '\r')
    [ -n "$unix" ] && [ "$unix" -ef "$BIN/Kestrelsvc.exe" ] || fail "$2 does not name the program: $1"
}

# The program's short file name, as COM starts it from LocalServer32.
kestrel_learn_short_name() {
    local server
    server=$(reg_entries "$HKCR\\CLSID\\$KESTREL_CLSID\\LocalServer32" | sed -n 's/^.*|(Default)=//p')
    KESTREL_SHORT_NAME=${server##*\\}
    [ -n "$KESTREL_SHORT_NAME" ] || fail "no LocalServer32 entry"
}

# PIDs of Kestrelsvc.exe processes (by long or short name) of this test's prefix.
kestrel_pids() {
    local pid short
    short=$(echo "${KESTREL_SHORT_NAME:-kestrelsvc.exe}" | tr 'A-Z' 'a-z')
    for pid in $(ps -eo pid=,args= | awk -v short="$short" \
                 '{ a = tolower($0) } index(a, "kestrelsvc.exe") || index(a, short) { print $1 }'); do
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
        fi
    done
}

# Runs COMMAND... every half second for up to SECS until it succeeds;
# fails (returns 1) when it never did.
poll_until() {  # SECS COMMAND...
    local i secs=$1
    shift
    for i in $(seq 1 $((secs * 2))); do
        "$@" && return 0
        sleep 0.5
    done
    "$@"
}

no_kestrel_running() { [ -z "$(kestrel_pids)" ]; }

# Waits up to SECS for every Kestrelsvc.exe of the prefix to end.
wait_no_kestrel() {  # SECS WHAT
    poll_until "$1" no_kestrel_running || fail "$2: Kestrelsvc.exe still running after $1 s"
}

# Service state number from "sc query" (1 stopped, 4 running...), empty when not installed.
service_state() {
    wine_tool sc query Kestrelsvc 2>/dev/null | tr -d '\r' | awk '/STATE/ { print $3 }' || true
}

service_in_state() { [ "$(service_state)" = "$1" ]; }

wait_service_state() {  # STATE SECS
    poll_until "$2" service_in_state "$1" || fail "service did not reach state $1 (now: $(service_state))"
}

# Keeps the prefix's Wine session alive (a program waiting on its input),
# so services keep running between commands; its Wine messages go to FILE.
session_keeper_start() {  # FILE [WINEDEBUG]
    mkfifo "$WINE_WORKDIR/keeper.in"
    sleep 600 >"$WINE_WORKDIR/keeper.in" &
    KEEPER_FEED=$!
    WINEDEBUG=${2:-$WINEDEBUG} "$WINE_CMD" cmd.exe <"$WINE_WORKDIR/keeper.in" >/dev/null 2>"$1" &
    KEEPER_PID=$!
}

session_keeper_stop() {
    [ -n "${KEEPER_FEED:-}" ] && kill "$KEEPER_FEED" 2>/dev/null || true
    [ -n "${KEEPER_PID:-}" ] && wait "$KEEPER_PID" 2>/dev/null || true
    KEEPER_FEED=""
    KEEPER_PID=""
}

# The tests' exit trap: the keeper, then the prefix.
kestrel_cleanup() {
    session_keeper_stop
    wine_cleanup
}

# A fresh prefix, cleaned up when the test ends.
kestrel_test_begin() {
    trap kestrel_cleanup EXIT
    wine_prefix_new
}

# Runs kestrel-client.exe against DevEnabler and checks what it prints.
run_client_expecting_codes() {
    wine_run 60 "$BIN/kestrel-client.exe" >"$WINE_WORKDIR/client.raw"
    tr -d '\r' <"$WINE_WORKDIR/client.raw" >"$WINE_WORKDIR/client.out"
    cat "$WINE_WORKDIR/client.out"
    [ "$WINE_RC" -eq 0 ] || fail "kestrel-client: exit code $WINE_RC"
    expect_client_output "$WINE_WORKDIR/client.out"
}

# The codes kestrel-client.exe must print for Wine's device set, which has
# no network-class device with the adapter's driver description.
expect_client_output() {  # FILE
    local line
    while IFS= read -r line; do
        grep -qxF -- "$line" "$1" || fail "kestrel-client: missing line: $line"
    done <<'EXPECTED'
CoCreateInstance 0x00000000
EnableDevice 259
EnableDevice(null) 259
DisableDevice 259
EnumerateNics 259
GetCurStatus 50
QueryInterface IClassFactory 0x80004002
QueryInterface IDispatch 0x00000000
GetTypeInfoCount 0x00000000 1
GetIDsOfNames EnableDevice 0x00000000 1
GetIDsOfNames DisableDevice 0x00000000 2
GetIDsOfNames EnumerateNics 0x00000000 4
GetIDsOfNames GetCurStatus 0x00000000 5
GetIDsOfNames getcurstatus 0x00000000 5
GetIDsOfNames NoSuchMethod 0x80020006 -1
Invoke GetCurStatus 0 vt=0 value=0 scode=0
EXPECTED
}
