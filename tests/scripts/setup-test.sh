#!/bin/bash
# scripts/setup's decisions against a fake apt-get, dpkg and dpkg-query on
# PATH: no network, no root. Each case starts from a package state and a
# mirror's behaviour and checks the exit status, the installed packages, the
# foreign architectures and what was said.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAKE=$WORK/bin
mkdir -p "$FAKE"

# The fakes keep their state in $STATE: installed (one package a line, with
# :i386 for the 32-bit ones), foreign (architectures), updates (a line per
# apt-get update), and read the mirror's behaviour from MIRROR_UPDATE
# (ok | fail-once | fail) and MIRROR_BROKEN (packages that cannot be installed).
cat >"$FAKE/apt-get" <<'FAKE'
#!/bin/bash
case "$1" in
update)
    echo x >>"$STATE/updates"
    if [ "$MIRROR_UPDATE" = fail ] || { [ "$MIRROR_UPDATE" = fail-once ] && [ "$(wc -l <"$STATE/updates")" -eq 1 ]; }; then
        echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 1.2.3.4 80]"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100
    fi ;;
install)
    shift
    packages=()
    for arg; do case "$arg" in -*) ;; *) packages+=("$arg") ;; esac; done
    for package in "${packages[@]}"; do
        if grep -qx "$package" <<<"${MIRROR_BROKEN// /$'\n'}"; then
            echo " $package : Depends: libfoo:i386 but it is not going to be installed"
            echo "E: Unable to correct problems, you have held broken packages."
            exit 100
        fi
    done
    printf '%s\n' "${packages[@]}" >>"$STATE/installed" ;;
esac
FAKE
cat >"$FAKE/dpkg-query" <<'FAKE'
#!/bin/bash
# -W -f=FORMAT [PACKAGE]
if [ $# -eq 2 ]; then
    sed 's/.*:i386$/i386/; t; s/.*/amd64/' "$STATE/installed"
    exit 0
fi
grep -qx "$3" "$STATE/installed" && printf installed && exit 0
exit 1
FAKE
cat >"$FAKE/dpkg" <<'FAKE'
#!/bin/bash
case "$1" in
--print-foreign-architectures) cat "$STATE/foreign" ;;
--add-architecture) echo "$2" >>"$STATE/foreign" ;;
--remove-architecture) sed -i "/^$2\$/d" "$STATE/foreign" ;;
esac
FAKE
printf '#!/bin/bash\nexec "$@"\n' >"$FAKE/sudo"
chmod +x "$FAKE"/*

NATIVE="cmake ninja-build g++ make python3 libgtest-dev libgmock-dev libbenchmark-dev"
failures=0
# case NAME RUNS_32BIT MIRROR_UPDATE MIRROR_BROKEN PREINSTALLED EXPECTED_STATUS CHECK ARGS...
# CHECK is a shell condition over $STATE, $out (stdout and stderr) and the files.
run_case() {
    local name=$1 runs32=$2 update=$3 broken=$4 preinstalled=$5 expected=$6 check=$7
    shift 7
    STATE=$WORK/$name
    mkdir -p "$STATE"
    : >"$STATE/updates"
    : >"$STATE/foreign"
    printf '%s\n' $preinstalled >"$STATE/installed"
    local status=0
    out=$(STATE=$STATE MIRROR_UPDATE=$update MIRROR_BROKEN=$broken MERU_SETUP_RUNS_32BIT=$runs32 \
        MERU_SETUP_RETRY_SECONDS=0 PATH="$FAKE:$PATH" "$ROOT/scripts/setup" "$@" 2>&1) || status=$?
    if [ "$status" -ne "$expected" ] || ! eval "$check"; then
        echo "FAIL $name: status $status (expected $expected), check: $check"
        sed 's/^/    | /' <<<"$out"
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}
installed() { grep -qx "$1" "$STATE/installed"; }
updates() { wc -l <"$STATE/updates"; }

run_case update-fails-once no fail-once "" "" 0 \
    '[ "$(updates)" -eq 2 ] && installed libgtest-dev && ! grep -q "could not be fetched" <<<"$out"' native
run_case index-always-fails no fail "" "" 0 \
    '[ "$(updates)" -eq 3 ] && installed cmake && grep -q "could not be fetched" <<<"$out" && grep -q "unexpected size" <<<"$out"' native
run_case install-fails no ok "libgtest-dev" "" 1 \
    'grep -q "could not install: .*libgtest-dev" <<<"$out" && grep -q "E: Unable to correct" <<<"$out"' native
run_case wine32-broken yes fail "wine32:i386" "" 0 \
    'installed wine && ! installed wine32:i386 && [ ! -s "$STATE/foreign" ] && grep -q "note: wine32:i386 could not be installed" <<<"$out"' wine
run_case wine32-installs yes ok "" "" 0 \
    'installed wine32:i386 && grep -qx i386 "$STATE/foreign"' wine
run_case wine32-not-needed no ok "" "" 0 \
    'installed wine64 && ! installed wine32:i386 && [ ! -s "$STATE/foreign" ] && grep -q "does not run 32-bit" <<<"$out"' wine
run_case release-set no ok "" "" 0 \
    'installed wixl && installed g++-mingw-w64-i686 && ! installed wine' release
run_case complete-set-does-nothing no fail "" "$NATIVE" 0 \
    '[ "$(updates)" -eq 0 ] && [ -z "$out" ]' native
run_case check-complete no ok "" "$NATIVE" 0 '[ "$(updates)" -eq 0 ]' --check native
run_case check-lacking no ok "" "$NATIVE" 1 \
    'grep -q "build lacks: .*g++-mingw-w64-i686" <<<"$out" && [ "$(updates)" -eq 0 ] && ! installed mingw-w64-tools' --check build
run_case bad-set no ok "" "" 2 'grep -q usage <<<"$out"' everything

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
