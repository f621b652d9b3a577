#!/bin/bash
# The release bundle under Wine, made by scripts/release from the programs
# under test: the package installs both programs and the Start-menu entry and
# registers Kestrelsvc as a service and COM server; a COM client reaches
# DevEnabler (COM starts the service); meru.exe updates the software card
# from the install folder; a rebuilt package replaces the installed one in
# place; the uninstall stops the service and leaves nothing behind; the
# entries are those "Kestrelsvc.exe -Service" writes; the zip's checksums hold.
set -euo pipefail
# The package's shortcut must not become a menu entry of the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
. "$(dirname "$0")/meru-lib.sh"
. "$(dirname "$0")/kestrelsvc-lib.sh"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
trap kestrel_cleanup EXIT
meru_prefix
TREE=$(cd "$BIN/.." && pwd)
FOLDER="$WINEPREFIX/drive_c/Program Files/VELOX"
INSTALLED="$FOLDER/Updater"
UNINSTALL_KEY='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# make_bundle DIR: the bundle in DIR; sets NAME and MSI (its Windows path).
make_bundle() {
    "$ROOT/scripts/release" --bundle "$TREE" "$1" || fail "scripts/release --bundle failed"
    NAME=$(basename "$(ls -d "$1"/velox-updater-*/)")
    MSI=$(wine_tool winepath -w "$1/$NAME.msi" | tr -d '\r')
}
msiexec() {  # ACTION PACKAGE
    wine_run 120 msiexec "$1" "$2" /qn
    [ "$WINE_RC" -eq 0 ] || fail "msiexec $1: exit code $WINE_RC"
}
product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" { print $2 }'; }
# The installed products named "VELOX Updater", by product code.
installed_products() {
    reg_entries "$UNINSTALL_KEY" | awk -F'|' '$2 == "DisplayName=VELOX Updater" { n = split($1, k, "\\"); print k[n] }'
}
shortcuts() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/VELOX*'; }
# Registry lines as Windows Installer and the program write them alike: the
# help folder with or without its closing separator, the service's path with
# or without quotes (Wine's installer leaves them out).
comparable() {  # FILE
    sed -e 's/^\(.*\\HELPDIR|(Default)=.*\)\\$/\1/' -e 's/^\(.*|ImagePath=\)"\(.*\)"$/\1\2/' "$1" | sort
}

# --- the bundle: checksums hold on the unpacked zip ---
make_bundle "$WINE_WORKDIR/dist"
DIST=$WINE_WORKDIR/dist
python3 -m zipfile -e "$DIST/$NAME.zip" "$WINE_WORKDIR/unzipped"
(cd "$WINE_WORKDIR/unzipped/$NAME" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS of the unpacked zip"
(cd "$DIST" && sha256sum -c "$NAME.sha256") || fail "$NAME.sha256"

# The software card's library where the system looks, not beside the programs.
cp "$BIN/KBW32N50.dll" "$WINEPREFIX/drive_c/windows/system32/"
# Services and the programs COM starts live as long as the session.
session_keeper_start /dev/null

# --- install ---
msiexec /i "$MSI"
for file in meru.exe Kestrelsvc.exe; do
    cmp -s "$INSTALLED/$file" "$DIST/$NAME/$file" || fail "$file is not installed"
done
[ "$(ls -A "$INSTALLED" | sort | tr '\n' ' ')" = "Kestrelsvc.exe meru.exe " ] || fail "install folder holds: $(ls -A "$INSTALLED")"
LINK=$(shortcuts | grep '/VELOX Station Update\.lnk$' || true)
[ -n "$LINK" ] || fail "no Start-menu shortcut"
grep -qxF 'C:\Program Files\VELOX\Updater\meru.exe' <<<"$(strings -a "$LINK")" || fail "the shortcut does not start the installed meru.exe"
expect_eq "state of the installed service" "$(service_state)" "1"
kestrel_entries >"$WINE_WORKDIR/package.entries"
reg_entries "$SERVICE_KEY" >"$WINE_WORKDIR/package.service"
expect_entry "$WINE_WORKDIR/package.service" "$SERVICE_KEY|Start=0x2"
expect_entry "$WINE_WORKDIR/package.service" "$SERVICE_KEY|DependOnService=RPCSS"
expect_entry "$WINE_WORKDIR/package.entries" "$HKCR\\AppID\\$KESTREL_APPID|LocalService=Kestrelsvc"

# --- DevEnabler through COM: the service is started for it ---
run_client_expecting_codes
wait_service_state 4 20

# --- meru.exe from the install folder updates the card ---
wine_run 300 'C:\Program Files\VELOX\Updater\meru.exe' -quiet
expect_eq "exit code of the installed meru.exe -quiet" "$WINE_RC" "0"
expect_eq "primary after the update" "$(card_line primary | cut -d' ' -f1)" "1.4.0"
expect_eq "station after the update" "$(card_line station | cut -d' ' -f1)" "1.5.0"
[ "$(wine_flash_log_text | grep -cxF "Update Successful!")" -eq 2 ] || fail "the session log lacks two successful images"

# --- a rebuilt package (a new product code) replaces the installed one ---
FIRST=$(product_code "$DIST/$NAME.msi")
make_bundle "$WINE_WORKDIR/dist2"
SECOND=$(product_code "$WINE_WORKDIR/dist2/$NAME.msi")
[ "$FIRST" != "$SECOND" ] || fail "the rebuilt package has the same product code"
expect_eq "installed products before the upgrade" "$(installed_products)" "$FIRST"
msiexec /i "$MSI"
expect_eq "installed products after the upgrade" "$(installed_products)" "$SECOND"
[ -f "$INSTALLED/meru.exe" ] && [ -f "$INSTALLED/Kestrelsvc.exe" ] || fail "programs missing after the upgrade"
[ -n "$(service_state)" ] || fail "service missing after the upgrade"

# --- uninstall, with the service running: nothing is left ---
run_client_expecting_codes
wait_service_state 4 20
msiexec /x "$MSI"
[ ! -e "$FOLDER" ] || fail "left behind: $(find "$FOLDER")"
[ -z "$(shortcuts)" ] || fail "left behind: $(shortcuts)"
[ -z "$(service_state)" ] || fail "the service is still installed"
wait_no_kestrel 20 "after the uninstall"
kestrel_entries >"$WINE_WORKDIR/left.entries"
reg_entries 'HKEY_LOCAL_MACHINE\Software\VELOX' >>"$WINE_WORKDIR/left.entries"
[ ! -s "$WINE_WORKDIR/left.entries" ] || { cat "$WINE_WORKDIR/left.entries"; fail "registry entries left after the uninstall"; }
[ -z "$(installed_products)" ] || fail "still listed as installed: $(installed_products)"
[ -f "$WINEPREFIX/drive_c/windows/system32/KBW32N50.dll" ] || fail "the uninstall removed the card's library"

# --- the package's entries are the program's own ---
mkdir -p "$INSTALLED"
cp "$DIST/$NAME/Kestrelsvc.exe" "$INSTALLED/"
wine_run 30 'C:\Program Files\VELOX\Updater\Kestrelsvc.exe' -Service
[ "$WINE_RC" -eq 0 ] || fail "-Service: exit code $WINE_RC"
kestrel_entries >"$WINE_WORKDIR/program.entries"
reg_entries "$SERVICE_KEY" >"$WINE_WORKDIR/program.service"
diff <(comparable "$WINE_WORKDIR/package.entries") <(comparable "$WINE_WORKDIR/program.entries") \
    || fail "the package's COM entries differ from those of Kestrelsvc.exe -Service (<: package, >: program)"
diff <(comparable "$WINE_WORKDIR/package.service") <(comparable "$WINE_WORKDIR/program.service") \
    || fail "the package's service differs from that of Kestrelsvc.exe -Service (<: package, >: program)"
echo "PASS"
