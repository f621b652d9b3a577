#!/usr/bin/env bash
# The S-record dump of a software card, read by binutils instead of our own
# reader, gives the card's 128 KiB dump window byte for byte.
#   dump-objcopy.sh DUMP_PROGRAM OBJCOPY
set -euo pipefail
program=$1
objcopy=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$program" "$work/card.hex" "$work/window.bin"
"$objcopy" -I srec -O binary "$work/card.hex" "$work/objcopy.bin"
size=$(stat -c %s "$work/objcopy.bin")
if [ "$size" -ne 131072 ]; then
    echo "objcopy made $size bytes of the dump, not 131072" >&2
    exit 1
fi
if ! cmp "$work/objcopy.bin" "$work/window.bin"; then
    echo "the dump read by objcopy differs from the card's dump window" >&2
    exit 1
fi
echo "dump of the software card read back by objcopy: 131072 bytes, as on the card"
