#!/bin/bash
# The 32-bit release bundle, read without running it: scripts/release
# bundles the programs of the 32-bit build tree, and the programs' headers
# and the package's tables (msiinfo) must hold what ships and nothing else.
set -euo pipefail
TREE=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=$(mktemp -d "${TMPDIR:-/tmp}/meru-release-XXXXXX")
trap 'rm -rf "$OUT"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

"$ROOT/scripts/release" --bundle "$TREE" "$OUT" || fail "scripts/release --bundle failed"
NAME=$(basename "$(ls -d "$OUT"/velox-updater-*/)")
VERSION=${NAME#velox-updater-}
MSI=$OUT/$NAME.msi

# The machine field of the PE header (0x14C: i386) and the section names.
for file in meru.exe Kestrelsvc.exe; do
    machine=$(python3 - "$OUT/$NAME/$file" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0", "no PE header"
print(hex(struct.unpack_from("<H", data, pe + 4)[0]))
PY
)
    [ "$machine" = 0x14c ] || fail "$file: machine $machine, not i386"
    if grep -q ' \.debug' <<<"$(objdump -h "$OUT/$NAME/$file")"; then fail "$file has debug sections"; fi
done

rows() { (cd "$OUT" && msiinfo export "$MSI" "$1") | tr -d '\r' | tail -n +4; }
[ "$(rows File | cut -f3 | sed 's/^.*|//' | sort | tr '\n' ' ')" = "Kestrelsvc.exe meru.exe " ] \
    || fail "File table: $(rows File | cut -f3 | tr '\n' ' ')"
if grep -qi KBW32N50 <<<"$(rows File)"; then fail "KBW32N50.dll is in the package"; fi
grep -qx "Template: Intel;1033" <<<"$(msiinfo suminfo "$MSI")" || fail "not a 32-bit package: $(msiinfo suminfo "$MSI" | grep Template)"

# Both programs are versioned files: Version from their version records
# (meru.exe's is the bundle's, Kestrelsvc.exe's that of its resource
# script), Language 1033, and no file hash, which is for unversioned files.
KESTREL_VERSION=$(sed -n 's/^ *FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*$/\1.\2.\3.\4/p' \
                  "$ROOT/service/win32/Kestrelsvc.rc" | tr -d '\r')
[ -n "$KESTREL_VERSION" ] || fail "no FILEVERSION in service/win32/Kestrelsvc.rc"
MERU_SIZE=$(stat -c %s "$OUT/$NAME/meru.exe")
KESTREL_SIZE=$(stat -c %s "$OUT/$NAME/Kestrelsvc.exe")
[ -z "$(rows MsiFileHash)" ] || fail "MsiFileHash rows for versioned files: $(rows MsiFileHash | cut -f1 | tr '\n' ' ')"

# Rows the package must hold, by table (tab-separated columns as msiinfo
# prints them, from the first; a row may have more columns after these).
while IFS='|' read -r table row; do
    grep -qF -- "$(printf '%b' "$row")" <<<"$(rows "$table")" || fail "$table table lacks: $row"
done <<EXPECTED
Property|ProductVersion\t$VERSION
Property|ProductName\tVELOX Updater
Property|UpgradeCode\t{DC784ACB-16EA-4ED4-A892-003D5B04F6EA}
Upgrade|{DC784ACB-16EA-4ED4-A892-003D5B04F6EA}\t0.0.0\t${VERSION%.*}.$((${VERSION##*.} + 1))
Directory|INSTALLDIR\tVeloxFolder\tUpdater
Directory|VeloxFolder\tProgramFilesFolder\tVELOX
Component|MeruProgram\t
Component|KestrelsvcProgram\t
Component|MeruShortcut\t
Shortcut|MeruStartMenu\tVeloxMenu\tVELOX Station Update\tMeruShortcut\t[#MeruExe]
File|MeruExe\tMeruProgram\tmeru.exe\t$MERU_SIZE\t$VERSION.0\t1033\t
File|KestrelsvcExe\tKestrelsvcProgram\tKestrelsvc.exe\t$KESTREL_SIZE\t$KESTREL_VERSION\t1033\t
ServiceInstall|KestrelsvcService\tKestrelsvc\tKestrelsvc\t16\t2\t32769\t\tRPCSS[~][~]\t\t\t\tKestrelsvcProgram
ServiceControl|KestrelsvcControl\tKestrelsvc\t171\t\t1\tKestrelsvcProgram
Property|ARPNOMODIFY\t1
Property|ARPPRODUCTICON\tMeruIcon.ico
Icon|MeruIcon.ico
AppSearch|STORED_INSTALLDIR\tStoredInstallFolder
RegLocator|StoredInstallFolder\t2\tSoftware\\\\VELOX\\\\Updater\tInstallFolder\t2
Registry|\t0\tAppID\\\\{401B7581-8B27-4743-A862-FF6BB8E6A970}\\\\\tLocalService\tKestrelsvc\t
Registry|\t0\tCLSID\\\\{DF94C14D-8B76-4659-AE47-416AE3AE0F30}\\\\LocalServer32\t\t"[#KestrelsvcExe]"\t
Registry|\t0\tTypeLib\\\\{85D65926-2494-4623-BA68-BB46D44083EA}\\\\1.0\\\\0\\\\win32\t\t[#KestrelsvcExe]\t
EXPECTED

# Windows Installer 2.0 reads the package (schema, the summary's page count:
# 200), and each component installs where it belongs: Kestrelsvc with its
# service and COM entries on Windows 2000 and later, meru.exe, its Start-menu
# entry and the install folder everywhere.
grep -qx "Version: 200 (c8)" <<<"$(msiinfo suminfo "$MSI")" || fail "schema: $(msiinfo suminfo "$MSI" | grep Version)"
conditions=$(rows Component | awk -F'\t' '{ print $1 "=" $5 }' | sort | tr '\n' ' ')
[ "$conditions" = "InstallFolder= KestrelsvcProgram=VersionNT >= 500 MeruProgram= MeruShortcut= " ] \
    || fail "component conditions: $conditions"
for table in ServiceInstall ServiceControl; do
    msiinfo export "$MSI" "$table" | tr -d '\r' | awk -F'\t' '
        NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "Component_") column = i }
        NR > 3 && $column != "KestrelsvcProgram" { bad = 1 }
        END { exit bad || !column }' \
        || fail "$table: a row outside the component KestrelsvcProgram"
done

# 32-bit components: none marked for the 64-bit registry and folders.
rows Component | awk -F'\t' '$4 >= 256 { bad = 1 } END { exit bad }' || fail "a component is marked 64-bit"
echo "PASS"
