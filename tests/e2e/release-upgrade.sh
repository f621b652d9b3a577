#!/bin/bash
# What an administrator relies on when packages replace each other, under
# Wine: an older package installed into a folder of one's own (INSTALLDIR,
# with a blank in it); the newer package upgrades it in that folder without
# being told, its programs replacing the older ones (compared by hash), the
# service running afterwards and COM starting it by its quoted long path;
# the older package is then refused and the installed product left as it
# is; a repair (REINSTALL=ALL REINSTALLMODE=pecms) brings back a deleted and
# a damaged program.
set -euo pipefail
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
. "$(dirname "$0")/meru-lib.sh"
. "$(dirname "$0")/kestrelsvc-lib.sh"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$(dirname "$0")/release-lib.sh"
trap kestrel_cleanup EXIT
meru_prefix
CUSTOM="$WINEPREFIX/drive_c/Velox Tools"
DEFAULT="$WINEPREFIX/drive_c/Program Files/VELOX"

older_tree "$TREE" "$WINE_WORKDIR/older"
make_bundle "$WINE_WORKDIR/older" "$WINE_WORKDIR/old"
OLD_MSI=$MSI OLD=$WINE_WORKDIR/old/$NAME
make_bundle "$TREE" "$WINE_WORKDIR/new"
NEW_MSI=$MSI NEW=$WINE_WORKDIR/new/$NAME
[ "$OLD" != "${NEW/\/new\//\/old\/}" ] || fail "the two packages have the same version: $NAME"
cmp -s "$OLD/meru.exe" "$NEW/meru.exe" && fail "the two packages hold the same meru.exe"
OLD_CODE=$(product_code "$WINE_WORKDIR/old/$(basename "$OLD").msi")
NEW_CODE=$(product_code "$WINE_WORKDIR/new/$NAME.msi")

# installed_as DIR: both programs in the custom folder are those of DIR.
installed_as() {
    local file
    for file in meru.exe Kestrelsvc.exe; do
        [ "$(sha256sum <"$CUSTOM/$file")" = "$(sha256sum <"$1/$file")" ] \
            || fail "$file in the install folder is not the one of $(basename "$1") ($2)"
    done
}
session_keeper_start /dev/null

# --- the older package into a folder of one's own ---
msiexec /i "$OLD_MSI" 'INSTALLDIR=C:\Velox Tools\'
installed_as "$OLD" "after installing it"
[ ! -e "$DEFAULT" ] || fail "the install went to Program Files as well"

# --- the newer package: an upgrade in the same folder ---
msiexec /i "$NEW_MSI"
installed_as "$NEW" "after the upgrade"
[ ! -e "$DEFAULT" ] || fail "the upgrade moved to Program Files: $(find "$DEFAULT")"
expect_eq "installed products after the upgrade" "$(installed_products)" "$NEW_CODE"
expect_eq "the stored install folder" \
    "$(reg_entries 'HKEY_LOCAL_MACHINE\Software\VELOX\Updater' | sed -n 's/^.*|InstallFolder=//p')" 'C:\Velox Tools\'
wait_service_state 4 20
expect_entry <(kestrel_entries) "$HKCR\\CLSID\\$KESTREL_CLSID\\LocalServer32|(Default)=\"C:\\Velox Tools\\Kestrelsvc.exe\""
wine_tool net stop Kestrelsvc >/dev/null 2>&1 || true
wait_service_state 1 20
run_client_expecting_codes
wait_service_state 4 20

# --- the older package again: refused, the product left as it is ---
# 1603 (a fatal error: the launch condition), as Linux passes it on: its low byte.
msiexec_rc /i "$OLD_MSI"
expect_eq "exit code of the refused downgrade" "$WINE_RC" "$((1603 % 256))"
expect_eq "installed products after the refused downgrade" "$(installed_products)" "$NEW_CODE"
installed_as "$NEW" "after the refused downgrade"
[ "$OLD_CODE" != "$NEW_CODE" ] || fail "the two packages have the same product code"

# --- repair: a deleted and a damaged program come back ---
wine_tool net stop Kestrelsvc >/dev/null 2>&1 || true
wait_service_state 1 20
rm "$CUSTOM/meru.exe"
# Cut short, as by an interrupted copy. (Wine keeps a file of the package's
# version whatever its bytes: it does not take REINSTALLMODE's "e" to
# replace equal versions, as Windows does.)
truncate -s $(($(stat -c %s "$CUSTOM/Kestrelsvc.exe") / 2)) "$CUSTOM/Kestrelsvc.exe"
msiexec /i "$NEW_MSI" REINSTALL=ALL REINSTALLMODE=pecms
installed_as "$NEW" "after the repair"
echo "PASS"
