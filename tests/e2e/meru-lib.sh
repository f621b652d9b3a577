# Helpers of the end-to-end tests of meru.exe (they source this file only):
# a throwaway prefix with Xvfb, one software card in the registry, and the
# window driver.
#
#   meru_prefix [velox-sim-card new options...]   prefix, display, one adapter,
#                                                  card state file $STATE
#   meru_start ARGS...       starts meru.exe in the background ($MERU_PID)
#   meru_wait_window         waits for its window (60 s)
#   meru_wait_exit SECS      waits for it to end; sets $MERU_RC
#   driver COMMAND ARGS...   meru-driver.exe, its output as Unix text
#   status                   the status box's text
#   shot NAME                screenshot kept in $SHOTS/NAME.png
#   card_line KEY            a line of `velox-sim-card show` without its key
#   quiet_run ARGS...        meru.exe -quiet ARGS to its end ($WINE_RC), its
#                            session log as Unix text in $LOG
#   logged TEXT              $LOG holds TEXT
#   downloads                the card's OID_CARD_DOWNLOAD count (0 for none)
#
# The test scripts get the Windows programs' folder as $1 and the native
# velox-sim-card as $2.
. "$(dirname "${BASH_SOURCE[0]}")/wine-lib.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../../sim/fixtures/wine-adapters.sh"

BIN=$1
SIM_CARD=$2
TITLE="MERU: VELOX Station Update"
SHOTS=${MERU_SCREENSHOTS:-$BIN/../e2e-screenshots}
mkdir -p "$SHOTS"
MERU_PID=""
MERU_RC=""
LOG=""

meru_prefix() {
    wine_prefix_new
    wine_display_start
    wine_adapters_one
    STATE=$WINE_WORKDIR/card.state
    "$SIM_CARD" new --mac-type 2 --platform 0x0201 "$@" "$STATE" >/dev/null
    export VELOX_SIM_STATE="Z:$STATE"
}

driver() {
    local out rc=0
    out=$(timeout 90 "$WINE_CMD" "$BIN/meru-driver.exe" "$@" 2>"$WINE_WORKDIR/driver.err") || rc=$?
    printf '%s\n' "$out" | tr -d '\r'
    return $rc
}

meru_start() {
    "$WINE_CMD" "$BIN/meru.exe" "$@" &
    MERU_PID=$!
}

meru_wait_window() {
    driver wait-window "$TITLE" 60 >/dev/null || fail "no window titled $TITLE"
}

meru_wait_exit() {
    local i
    for i in $(seq 1 $(($1 * 10))); do
        if ! kill -0 "$MERU_PID" 2>/dev/null; then
            set +e
            wait "$MERU_PID"
            MERU_RC=$?
            set -e
            return 0
        fi
        sleep 0.1
    done
    fail "meru.exe did not end within $1 s"
}

status() { driver text "$TITLE" 1066; }

shot() { wine_screenshot "$SHOTS/$1.png" && echo "screenshot: $SHOTS/$1.png"; }

card_line() { "$SIM_CARD" show "$STATE" | sed -n "s/^$1: //p"; }

quiet_run() {
    wine_run 300 "$BIN/meru.exe" -quiet "$@"
    LOG=$WINE_WORKDIR/flash.log
    wine_flash_log_text >"$LOG"
}

logged() { grep -qF -- "$1" "$LOG" || fail "the log lacks: $1"; }

downloads() { "$SIM_CARD" counters "$STATE" | awk '$2 == "OID_CARD_DOWNLOAD" { print $4 }' | grep . || echo 0; }

expect_eq() {  # WHAT ACTUAL EXPECTED
    [ "$2" = "$3" ] || fail "$1: \"$2\", expected \"$3\""
}
