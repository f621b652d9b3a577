#!/bin/bash
# The release bundle under Wine, made by scripts/release from the programs
# under test: the package installs both programs and the Start-menu entry and
# registers Kestrelsvc as a service and COM server and starts it, lists
# itself in Add/Remove Programs with its folder and without Modify (Wine
# publishes no DisplayIcon: release-package.sh reads the icon's rows);
# a COM client reaches DevEnabler (COM starts the stopped service); meru.exe
# updates the software card from the install folder; a rebuilt package
# replaces the installed one in place and starts the service; the uninstall stops the service and leaves nothing behind; the
# entries are those "Kestrelsvc.exe -Service" writes; the zip's checksums hold.
set -euo pipefail
# The package's shortcut must not become a menu entry of the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
. "$(dirname "$0")/meru-lib.sh"
. "$(dirname "$0")/kestrelsvc-lib.sh"
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
trap kestrel_cleanup EXIT
meru_prefix
. "$(dirname "$0")/release-lib.sh"
FOLDER="$WINEPREFIX/drive_c/Program Files/VELOX"
INSTALLED="$FOLDER/Updater"
shortcuts() { find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/VELOX*'; }
# Registry lines as Windows Installer and the program write them alike: the
# help folder with or without its closing separator, the service's path with
# or without quotes (Wine's installer leaves them out). LocalServer32 is the
# package's own: the quoted long path (checked on its own below).
comparable() {  # FILE
    sed -e 's/^\(.*\\HELPDIR|(Default)=.*\)\\$/\1/' -e 's/^\(.*|ImagePath=\)"\(.*\)"$/\1\2/' \
        -e '/\\LocalServer32|(Default)=/d' "$1" | sort
}

# --- the bundle: checksums hold on the unpacked zip ---
make_bundle "$TREE" "$WINE_WORKDIR/dist"
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
# Started by the install (its start type is automatic).
wait_service_state 4 20
ARP_KEY="$UNINSTALL_KEY\\$(product_code "$DIST/$NAME.msi")"
reg_entries "$ARP_KEY" >"$WINE_WORKDIR/arp.entries"
expect_entry "$WINE_WORKDIR/arp.entries" "$ARP_KEY|InstallLocation=C:\\Program Files\\VELOX\\Updater\\"
expect_entry "$WINE_WORKDIR/arp.entries" "$ARP_KEY|NoModify=0x1"
kestrel_entries >"$WINE_WORKDIR/package.entries"
reg_entries "$SERVICE_KEY" >"$WINE_WORKDIR/package.service"
expect_entry "$WINE_WORKDIR/package.service" "$SERVICE_KEY|Start=0x2"
expect_entry "$WINE_WORKDIR/package.service" "$SERVICE_KEY|DependOnService=RPCSS"
expect_entry "$WINE_WORKDIR/package.entries" "$HKCR\\AppID\\$KESTREL_APPID|LocalService=Kestrelsvc"
expect_entry "$WINE_WORKDIR/package.entries" \
    "$HKCR\\CLSID\\$KESTREL_CLSID\\LocalServer32|(Default)=\"C:\\Program Files\\VELOX\\Updater\\Kestrelsvc.exe\""

# --- DevEnabler through COM: the service is started for it ---
wine_tool net stop Kestrelsvc >/dev/null 2>&1 || true
wait_service_state 1 20
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
make_bundle "$TREE" "$WINE_WORKDIR/dist2"
SECOND=$(product_code "$WINE_WORKDIR/dist2/$NAME.msi")
[ "$FIRST" != "$SECOND" ] || fail "the rebuilt package has the same product code"
expect_eq "installed products before the upgrade" "$(installed_products)" "$FIRST"
msiexec /i "$MSI"
expect_eq "installed products after the upgrade" "$(installed_products)" "$SECOND"
[ -f "$INSTALLED/meru.exe" ] && [ -f "$INSTALLED/Kestrelsvc.exe" ] || fail "programs missing after the upgrade"
wait_service_state 4 20

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
