# Helpers of the release bundle's Wine tests (release-*.sh source this file
# after meru-lib.sh and kestrelsvc-lib.sh):
#
#   make_bundle TREE DIR     scripts/release --bundle of TREE into DIR; sets NAME
#                            (velox-updater-<version>) and MSI (its Windows path)
#   msiexec ARGS...          msiexec ARGS /qn; fails unless it exits with 0
#   msiexec_rc ARGS...       the same, its exit code in $WINE_RC whatever it is
#   product_code MSI         the package's ProductCode
#   installed_products       product codes of the installed "VELOX Updater"s
#   windows_path UNIXPATH    the path as Windows programs see it
TREE=$(cd "$BIN/.." && pwd)
UNINSTALL_KEY='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'

windows_path() { wine_tool winepath -w "$1" | tr -d '\r'; }

make_bundle() {  # TREE DIR
    "$ROOT/scripts/release" --bundle "$1" "$2" || fail "scripts/release --bundle $1 failed"
    NAME=$(basename "$(ls -d "$2"/velox-updater-*/)")
    MSI=$(windows_path "$2/$NAME.msi")
}
msiexec_rc() { wine_run 180 msiexec "$@" /qn; }
msiexec() {
    msiexec_rc "$@"
    [ "$WINE_RC" -eq 0 ] || fail "msiexec $*: exit code $WINE_RC"
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
installed_products() {
    reg_entries "$UNINSTALL_KEY" | awk -F'|' '$2 == "DisplayName=VELOX Updater" { n = split($1, k, "\\"); print k[n] }'
}

# older_tree TREE DIR: a copy of the build tree's shipped programs and
# package source in DIR whose meru.exe says it is one patch version older
# (its version text and record rewritten in place): a package of another,
# older version, with a program that differs from the tree's.
older_tree() {  # TREE DIR
    mkdir -p "$2/bin" "$2/service/generated"
    cp "$1/bin/meru.exe" "$1/bin/Kestrelsvc.exe" "$2/bin/"
    cp "$1/service/generated/Kestrelsvc.wxs" "$2/service/generated/"
    python3 - "$2/bin/meru.exe" <<'PY' || fail "meru.exe: its version cannot be lowered"
import re, struct, sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
# The fixed version record: signature 0xFEEF04BD, structure version, then
# file and product versions as (major << 16 | minor, patch << 16 | build).
at = data.find(struct.pack("<I", 0xFEEF04BD))
assert at > 0, "no version record"
file_ms, file_ls = struct.unpack_from("<II", data, at + 8)
major, minor, patch = file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16
assert patch > 0, "patch version 0"
old = "%d.%d.%d" % (major, minor, patch)
new = "%d.%d.%d" % (major, minor, patch - 1)
assert len(old) == len(new), "the version text would change its length"
struct.pack_into("<II", data, at + 8, file_ms, file_ls - 0x10000)
struct.pack_into("<II", data, at + 16, file_ms, file_ls - 0x10000)
texts = data.count(old.encode("utf-16-le"))
assert texts >= 3, "version text found %d times" % texts
data = data.replace(old.encode("utf-16-le"), new.encode("utf-16-le"))
open(path, "wb").write(bytes(data))
PY
}
