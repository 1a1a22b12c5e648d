#!/usr/bin/env bash
# Builds the Windows installer (NSIS) from a staged folder.
# Usage: windows-installer.sh STAGE VERSION OUTFILE
# The file list is written from STAGE, so the uninstaller removes exactly the
# files and folders the installer put there, and nothing a user added.
set -euo pipefail
stage=$(cd "$1" && pwd)
version=$2
out=$3
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
list=$work/files.nsh
quoted() { printf '"%s"' "${1//\//\\}"; }
{
  echo '!ifdef MODE_INSTALL'
  (cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort) |
    while read -r d; do echo "!insertmacro INSTALL_FOLDER $(quoted "$d")"; done
  (cd "$stage" && find . -type f | sed 's|^\./||' | sort) |
    while read -r f; do echo "!insertmacro INSTALL_FILE $(quoted "$f")"; done
  echo '!endif'
  echo '!ifdef MODE_REMOVE'
  (cd "$stage" && find . -type f | sed 's|^\./||' | sort) |
    while read -r f; do echo "!insertmacro REMOVE_FILE $(quoted "$f")"; done
  (cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) |
    while read -r d; do echo "!insertmacro REMOVE_FOLDER $(quoted "$d")"; done
  echo '!endif'
} >"$list"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$list" -DOUTFILE="$out" \
  "$here/packaging/windows/merivane.nsi"
