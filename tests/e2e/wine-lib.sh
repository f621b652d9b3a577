# Helpers for running the Win32 programs under Wine, sourced by the
# end-to-end test scripts and by scripts/wine-run.
#
#   wine_prefix_new          make a throwaway prefix ($WINEPREFIX), copied from a
#                            cached template that is booted once per machine
#   wine_display_start       start Xvfb on a free display ($DISPLAY)
#   wine_run SECS EXE ARGS   run a program with a time limit; sets $WINE_RC
#   wine_flash_log           path of c:\flash.log in the prefix
#   wine_screenshot FILE     PNG of the whole virtual screen
#   wine_cleanup             stop the prefix's wineserver and Xvfb, delete the prefix
#
# Set WINE_KEEP_PREFIX=1 to keep the prefix for a post-mortem look.

export WINEDEBUG=${WINEDEBUG:--all}

# 32-bit Wine needs the kernel's 32-bit emulation; where it is switched off
# the 64-bit build of the same sources runs under 64-bit Wine instead.
wine_can_run_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if wine_can_run_32bit; then
    export WINEARCH=win32
    WINE_CMD=/usr/lib/wine/wine
    WINESERVER_CMD=/usr/lib/wine/wineserver32
else
    export WINEARCH=win64
    WINE_CMD=/usr/lib/wine/wine64
    WINESERVER_CMD=/usr/lib/wine/wineserver64
fi
[ -x "$WINESERVER_CMD" ] || WINESERVER_CMD=wineserver
# No Mono/Gecko download prompts in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

WINE_TEMPLATE_ROOT=${MERU_WINE_TEMPLATE:-${XDG_CACHE_HOME:-$HOME/.cache}/meru-wine-template}
WINE_XVFB_PID=""
WINE_RC=""

wine_template_ready() {
    local version
    version=$("$WINE_CMD" --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')-$WINEARCH
    WINE_TEMPLATE="$WINE_TEMPLATE_ROOT/$version"
    mkdir -p "$WINE_TEMPLATE_ROOT"
    (
        flock 9
        if [ ! -f "$WINE_TEMPLATE/.booted" ]; then
            rm -rf "$WINE_TEMPLATE"
            WINEPREFIX="$WINE_TEMPLATE" timeout 300 "$WINE_CMD" wineboot --init >/dev/null 2>&1
            WINEPREFIX="$WINE_TEMPLATE" timeout 120 "$WINESERVER_CMD" --wait
            touch "$WINE_TEMPLATE/.booted"
        fi
    ) 9>"$WINE_TEMPLATE_ROOT/.lock"
}

wine_prefix_new() {
    wine_template_ready
    WINE_WORKDIR=$(mktemp -d "${TMPDIR:-/tmp}/meru-wine-XXXXXX")
    export WINEPREFIX="$WINE_WORKDIR/prefix"
    cp -a "$WINE_TEMPLATE" "$WINEPREFIX"
    rm -f "$WINEPREFIX/.booted"
}

wine_display_start() {
    local fdfile="$WINE_WORKDIR/display"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$fdfile" >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(head -n1 "$fdfile")"
            return 0
        fi
        sleep 0.1
    done
    echo "wine-lib: Xvfb did not start" >&2
    return 1
}

wine_run() {
    local seconds=$1
    shift
    set +e
    timeout --kill-after=10 "$seconds" "$WINE_CMD" "$@"
    WINE_RC=$?
    set -e
    return 0
}

# Runs a Wine tool (reg, sc, regedit...) in the prefix.
wine_tool() { "$WINE_CMD" "$@"; }

wine_flash_log() { echo "$WINEPREFIX/drive_c/flash.log"; }

# The session log as Unix text (the program writes it in text mode: CR LF).
wine_flash_log_text() { tr -d '\r' <"$(wine_flash_log)"; }

wine_screenshot() {
    import -display "$DISPLAY" -window root "$1"
}

wine_cleanup() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER_CMD" -k >/dev/null 2>&1 || true
    fi
    if [ -n "$WINE_XVFB_PID" ]; then
        kill "$WINE_XVFB_PID" >/dev/null 2>&1 || true
        wait "$WINE_XVFB_PID" 2>/dev/null || true
        WINE_XVFB_PID=""
    fi
    if [ -n "${WINE_WORKDIR:-}" ] && [ "${WINE_KEEP_PREFIX:-0}" != 1 ]; then
        rm -rf "$WINE_WORKDIR"
    fi
}

# Test scripts: fail with a message.
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# expect_log_line TEXTFILE LINE: the file holds exactly that line.
expect_log_line() {
    local log=$1 line=$2
    grep -qxF -- "$line" "$log" || fail "missing log line: $line"
}
