#!/usr/bin/env bash
# The installer under Wine: a silent install puts the programs in Program Files
# with Start menu entries and an uninstall entry, and the installed
# merivane-cli.exe runs; the uninstaller then removes what was installed and
# nothing else (a file the user left in the folder stays, and so does its folder).
# Usage: installer-under-wine.sh INSTALLER STAGE VERSION (WINEPREFIX set, wineserver up)
set -euo pipefail
installer=$1
stage=$2
version=$3
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64)
fail() { echo "installer-under-wine: FAIL: $*"; exit 1; }
folder="$WINEPREFIX/drive_c/Program Files/Varik Merivane"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Varik Merivane"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Merivane'
rm -rf "$folder" "$menu"

"$WINE64" "$installer" /S || fail "the silent install failed"
(cd "$stage" && find . -type f) | while read -r f; do
  cmp -s "$stage/$f" "$folder/$f" || fail "$f is not installed as staged"
done
[ -f "$folder/uninstall.exe" ] || fail "no uninstaller"
[ -f "$menu/Merivane command line.lnk" ] || fail "no Start menu entry for the command line"
if [ -f "$stage/merivane.exe" ]; then
  [ -f "$menu/Merivane.lnk" ] || fail "no Start menu entry for the desktop program"
fi
"$WINE64" reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -q "$version" ||
  fail "the uninstall entry does not name version $version"
"$WINE64" "C:\\Program Files\\Varik Merivane\\merivane-cli.exe" --version 2>/dev/null | tr -d '\r' |
  grep -qx "merivane-cli $version" || fail "the installed merivane-cli.exe does not run"

mkdir -p "$folder/mine" && echo "keep" >"$folder/mine/notes.txt"
# The uninstaller runs a copy of itself from the temporary folder and returns at
# once; it removes uninstall.exe as its last step.
"$WINE64" "C:\\Program Files\\Varik Merivane\\uninstall.exe" /S || fail "the silent uninstall failed"
t=200
while [ -e "$folder/uninstall.exe" ] && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
[ ! -e "$folder/uninstall.exe" ] || fail "the uninstaller did not finish"
left=$(cd "$folder" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./mine ./mine/notes.txt " ] || fail "after the uninstall the folder holds: $left"
[ ! -e "$menu" ] || fail "the Start menu entries stayed"
! "$WINE64" reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry stayed"
rm -rf "$folder"
echo "installer-under-wine: installed, ran merivane-cli.exe $version, uninstalled; the user's file stayed"
