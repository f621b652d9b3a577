#!/bin/bash
# The instruction check: it refuses a CMOV planted in a program's own code
# and the runtime's printf as it comes with the toolchain, each named by its
# function and library member; the built programs (BIN_DIR) pass it.
#
# usage: check-instructions-test.sh BIN_DIR
set -euo pipefail
BIN_DIR=${1:?usage: check-instructions-test.sh BIN_DIR}
HERE=$(cd "$(dirname "$0")" && pwd)
CHECK=$HERE/../cpu/check-instructions
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
CXX=${CXX_MINGW:-i686-w64-mingw32-g++}

# Built as the programs are: for the 486, statically, with a link map.
build() {  # NAME SOURCE
    printf '%s\n' "$2" >"$WORK/$1.cpp"
    "$CXX" -O2 -march=i486 -Wa,-march=i486+387 -c -o "$WORK/$1.o" "$WORK/$1.cpp"
    "$CXX" -static -static-libgcc -static-libstdc++ -o "$WORK/$1.exe" "$WORK/$1.o" "-Wl,-Map=$WORK/$1.exe.map"
    echo "floor $1.exe i486" >"$WORK/$1.floors"
}

# name | program source | what the check must say
CASES=(
    "a CMOV planted in our code|extern \"C\" __attribute__((noinline)) int PlantedCmov(int a, int b) { __asm__(\"cmpl %%ecx, %%eax\n\t.byte 0x0f, 0x4c, 0xc1\" : \"+a\"(a) : \"c\"(b)); return a; } int main(int argc, char**) { return PlantedCmov(argc, 3); }|planted-cmov.exe: _PlantedCmov (from planted-cmov.o"
    "the runtime's printf|#include <cstdio>
int main(int argc, char**) { char text[16]; std::snprintf(text, sizeof text, \"%d\", argc); return text[0]; }|runtime-printf.exe: ___mingw_pformat (from libmingwex.a(lib32_libmingwex_a-mingw_pformat.o)) holds"
)
for case in "${CASES[@]}"; do
    IFS='|' read -r -d '' name source expected <<<"$case" || true
    expected=${expected%$'\n'}
    program=$(sed -n 's/^\([a-z-]*\)\.exe:.*/\1/p' <<<"$expected")
    build "$program" "$source"
    status=0
    output=$("$CHECK" "$WORK" "$WORK/$program.floors" 2>&1) || status=$?
    [ "$status" = 1 ] || fail "$name: the check did not fail (status $status): $output"
    grep -qF -- "$expected" <<<"$output" || fail "$name: the check did not say \"$expected\": $output"
done

# The assembler already refuses a CMOV written out for the 486 floor, so the
# plant is its bytes (cmovl %ecx, %eax).

# The built programs, start-up code included: within their floors.
output=$("$CHECK" "$BIN_DIR" 2>&1) || fail "the programs hold instructions above their floors: $output"
echo "$output"
echo "PASS: the check refuses ${#CASES[@]} planted programs; the programs are within their floors"
