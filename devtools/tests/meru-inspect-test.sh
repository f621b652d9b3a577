#!/bin/bash
# meru-inspect on the samples and on broken input: exit codes, report lines,
# and the readers' own log lines on stderr.
# Usage: meru-inspect-test.sh MERU_INSPECT SAMPLES_DIR
set -u
inspect=$1
samples=$2
. "$(dirname "$0")/inspect-checks.sh"

run image "$samples/sample.hex"
expect_rc image 0
for line in "Lines: 10" "Primary: none" "Station: 1.4.5 (component 31)" \
    "  interface 1: role 1 (actor), range 1-2, variant 1" "Platforms: 0x8002 (0 0 0)" \
    "Build sequence: 7" "Execution address: 0x007e0000" "Blocks: 2 (48 bytes)" \
    "  0x007e0000  32 bytes" "  0x007efff8  16 bytes" "Chunks (2042, 0x10000): 3" \
    "Plug records: 1" "  code 0x00000101  target 0x007e0010  length 6"; do
    expect_line image out "$line"
done
expect_line image err "Info records ignored."
expect_line image err "Build sequence: 7"

cp "$samples/sample.pda" "$work/CARD.PDA"
run pda "$work/CARD.PDA"
expect_rc pda 0
for line in "Words: 14" "Records: 2" "  code 0x0008  length 5  data 8002 0001 0000 0000" \
    "  code 0x0101  length 4  data 1100 3322 5544" "End record: CRC 0x7345 matches"; do
    expect_line pda out "$line"
done

printf '2 2 7\n' >"$work/plain.pda"
printf '2 2 7\n2 0 1234\n' >"$work/wrong.pda"
run crc "$work/plain.pda" "$work/wrong.pda"
expect_rc crc 0
expect_line crc out "End record: no end record"
grep -q "^End record: CRC 0x1234 does not match the records (0x[0-9a-f]\{4\})$" "$work/crc.out" ||
    fail "crc: mismatch not reported"

printf 'S70500000000FA\nS3 broken\n' >"$work/broken.hex"
printf '2 8\n' >"$work/short.pda"
run broken "$samples/sample.hex" "$work/broken.hex" "$work/short.pda" "$work/missing.hex"
expect_rc broken 1
expect_line broken out "Station: 1.4.5 (component 31)"
expect_line broken err "Error: Line 2: Bad character found. Cannot process file."
expect_line broken err "PDA file: the last record is incomplete (2 words read)."
grep -qF "File not found. " "$work/broken.err" || fail "broken: missing file not logged"
grep -qF "missing.hex could not be read" "$work/broken.err" || fail "broken: missing file not named"

run usage
expect_rc usage 2

finish meru-inspect
