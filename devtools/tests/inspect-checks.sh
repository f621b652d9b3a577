# Checks shared by the meru-inspect test scripts, sourced after setting
# $inspect to the program: a throwaway work folder, failures counted rather
# than fatal, and each run's stdout, stderr and exit code kept by name.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run NAME ARGS...: runs the inspector, keeping stdout, stderr and the exit code.
run() {
    local name=$1
    shift
    "$inspect" "$@" >"$work/$name.out" 2>"$work/$name.err"
    echo $? >"$work/$name.rc"
}

expect_rc() {
    local got
    got=$(cat "$work/$1.rc")
    [ "$got" = "$2" ] || fail "$1: exit code $got, expected $2"
}

# expect_line NAME STREAM TEXT: TEXT is a whole line of NAME's stdout/stderr.
expect_line() {
    grep -qxF -- "$3" "$work/$1.$2" || fail "$1: no $2 line '$3'"
}

# finish WHAT: the script's exit, 0 when every check passed.
finish() {
    if [ "$failures" -eq 0 ]; then
        echo "$1: all checks passed"
        exit 0
    fi
    exit 1
}
