#!/bin/bash
# The bundle as an administrator uses it on many machines, under Wine: the
# shipped update-velox.cmd run by Wine's cmd from the bundle's folder on a
# "share", once with a card to update (exit code 0) and once without an
# adapter (exit code 1): results.txt records both codes and the session log
# is copied; meru.exe -report from these and from two direct runs (a card
# up to date, a refused downgrade) appends to one CSV file, read back by a
# CSV reader and searched as the guide shows; a result file locked by another writer is logged, not
# written, and leaves the exit code alone.
set -euo pipefail
. "$(dirname "$0")/meru-lib.sh"
. "$(dirname "$0")/kestrelsvc-lib.sh"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$(dirname "$0")/release-lib.sh"
LOCK_HOLDER=""
cleanup() {
    [ -z "$LOCK_HOLDER" ] || kill "$LOCK_HOLDER" 2>/dev/null || true
    wine_cleanup
}
trap cleanup EXIT
meru_prefix
cp "$BIN/KBW32N50.dll" "$WINEPREFIX/drive_c/windows/system32/"

# The share: the bundle's folder; the batch file makes the logs folder beside it.
make_bundle "$TREE" "$WINE_WORKDIR/dist"
SHARE="$WINEPREFIX/drive_c/share"
mkdir -p "$SHARE"
cp -r "$WINE_WORKDIR/dist/$NAME" "$SHARE/"
LOGS="$SHARE/logs"
BATCH="C:\\share\\$NAME\\update-velox.cmd"
REPORT='C:\share\logs\results.csv'

batch_run() {  # EXPECTED_EXIT_CODE
    wine_run 300 cmd /c "$BATCH"
    expect_eq "exit code of update-velox.cmd" "$WINE_RC" "$1"
}
report_run() {  # EXPECTED_EXIT_CODE ARGS...
    local expected=$1
    shift
    quiet_run -report "$REPORT" "$@"
    expect_eq "exit code of meru.exe -quiet -report $*" "$WINE_RC" "$expected"
}

# --- the batch file: an update, then no adapter ---
batch_run 0
expect_eq "primary after the batch file" "$(card_line primary | cut -d' ' -f1)" "1.4.0"
report_run 0                                                  # up to date
report_run 1 "$(windows_path "$ROOT/updater/resources/firmware/PK010300.HEX")"  # a refused downgrade
wine_adapters_clear
batch_run 1

# results.txt: one line a run, its exit code last (the date and time are the system's).
tr -d '\r' <"$LOGS/results.txt" >"$WINE_WORKDIR/results.txt"
cat "$WINE_WORKDIR/results.txt"
[ "$(sed 's/^.* exit code \([0-9]*\)$/\1/' "$WINE_WORKDIR/results.txt" | tr '\n' ' ')" = "0 1 " ] \
    || fail "results.txt does not record the exit codes 0 and 1"
COMPUTER=$(sed -n '1s/^.* \([^ ]*\) exit code 0$/\1/p' "$WINE_WORKDIR/results.txt")
[ -n "$COMPUTER" ] || fail "results.txt names no computer"
# The session log copied under the computer's name, and nothing else but the results.
expect_eq "the logs folder" "$(ls "$LOGS" | tr '\n' ' ')" "$COMPUTER-flash.log results.csv results.txt "
grep -qx $'Update Successful!\r' "$LOGS/$COMPUTER-flash.log" || fail "the copied log lacks the update"
grep -qF 'No adapter selected.' "$LOGS/$COMPUTER-flash.log" || fail "the copied log lacks the second run"

# results.csv, read by a CSV reader: the header, then one record a pass.
python3 - "$LOGS/results.csv" "$COMPUTER" <<'PY' || fail "results.csv does not hold the four passes"
import csv, re, sys
rows = list(csv.reader(open(sys.argv[1], newline="")))
for row in rows:
    print(row)
assert rows[0] == ["date", "time", "computer", "adapter", "mac", "platform", "primary before", "station before",
                   "primary after", "station after", "result", "exit code", "reason"], rows[0]
assert len(rows) == 5, len(rows)
expected = [
    ["0x0201", "1.1.1", "1.3.1", "1.4.0", "1.5.0", "updated", "0", "Update Successful!"],
    ["0x0201", "1.4.0", "1.5.0", "1.4.0", "1.5.0", "up to date", "0", "Selected Hex files already in flash."],
    ["0x0201", "1.4.0", "1.5.0", "1.4.0", "1.5.0", "refused", "1",
     "Warning! This is a downgrade for Primary firmware. (1.4.0 --> 1.3.0)Quiet mode downgrade requires -olderOK option."],
    ["", "", "", "", "", "no adapter", "1",
     "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit."],
]
for row, want in zip(rows[1:], expected):
    assert re.fullmatch(r"\d{4}-\d\d-\d\d", row[0]) and re.fullmatch(r"\d\d:\d\d:\d\d", row[1]), row
    assert row[2] == sys.argv[2], row
    assert (row[3] != "" and re.fullmatch(r"[0-9A-F]{2}([-:]?[0-9A-F]{2}){5}", row[4]) is not None) == (want[0] != ""), row
    assert row[5:] == want, row
PY

# The guide's way to list the machines whose update wrote nothing or failed.
printf '@echo off\r\ncd /d C:\\share\\logs\r\nfind ",1," results.csv\r\n' >"$SHARE/find-failed.cmd"
wine_tool cmd /c 'C:\share\find-failed.cmd' | tr -d '\r' | grep , >"$WINE_WORKDIR/found" || true
expect_eq "find \",1,\" results.csv" "$(sed 's/^.*,\([^,]*\),1,.*$/\1/' "$WINE_WORKDIR/found" | tr '\n' ' ')" "refused no adapter "

# --- a result file that another writer keeps locked: logged, exit code unchanged ---
wine_adapters_one
cp "$LOGS/results.csv" "$WINE_WORKDIR/results.before"
python3 - "$LOGS/results.csv" "$WINE_WORKDIR/locked" <<'PY' &
import fcntl, sys, time
with open(sys.argv[1], "r+b") as held:
    fcntl.lockf(held, fcntl.LOCK_EX)
    open(sys.argv[2], "w").close()
    time.sleep(600)
PY
LOCK_HOLDER=$!
poll_until 20 test -e "$WINE_WORKDIR/locked" || fail "the result file was not locked"
report_run 0
kill "$LOCK_HOLDER"
LOCK_HOLDER=""
cmp -s "$LOGS/results.csv" "$WINE_WORKDIR/results.before" || fail "the locked result file was written"
logged "The result record was not written to \"$REPORT\": it stayed in use (locked by another writer)."
echo "PASS"
