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
