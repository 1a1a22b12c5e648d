#!/usr/bin/env bash
# Puts beside a cross-built Windows program the DLLs it needs, as windeployqt
# does on Windows: every DLL it or its Qt plugins import, found in the Windows
# Qt's bin folder or the MinGW runtime, and the Qt plugins a widgets program
# loads (the Windows platform and the styles) in their folders beside it.
# DLLs found in neither place are the system's own and stay out.
# Usage: windows-deploy-qt.sh PROGRAM.exe QT_PREFIX
set -euo pipefail
program=$1
qt=$2
dest=$(dirname "$program")
OBJDUMP=${OBJDUMP:-x86_64-w64-mingw32-objdump}
search=("$qt/bin" "$qt/lib")
for d in /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib; do
  [ -d "$d" ] && search+=("$d")
done

# find_dll NAME: the first file of that name (any case) in the search folders.
find_dll() {
  local d
  for d in "${search[@]}"; do
    found=$(find "$d" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
    [ -n "$found" ] && { echo "$found"; return 0; }
  done
  return 1
}

queue=("$program")
for kind in platforms/qwindows.dll styles/*.dll; do
  for plugin in "$qt"/plugins/$kind "$qt"/share/qt6/plugins/$kind; do
    [ -f "$plugin" ] || continue
    sub=$(basename "$(dirname "$plugin")")
    mkdir -p "$dest/$sub"
    cp "$plugin" "$dest/$sub/"
    queue+=("$dest/$sub/$(basename "$plugin")")
  done
done
[ -f "$dest/platforms/qwindows.dll" ] || { echo "windows-deploy-qt: no qwindows.dll under $qt/plugins" >&2; exit 1; }

declare -A seen=()
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r name; do
    key=${name,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    if dll=$(find_dll "$name"); then
      cp "$dll" "$dest/"
      queue+=("$dest/$(basename "$dll")")
    fi
  done < <("$OBJDUMP" -p "$file" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p')
done
echo "windows-deploy-qt: $(find "$dest" -iname '*.dll' | wc -l) DLLs beside $(basename "$program")"
