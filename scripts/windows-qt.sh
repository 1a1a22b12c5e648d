#!/usr/bin/env bash
# Builds a Windows Qt 6 from Debian's own qtbase source with MinGW-w64, for
# scripts/windows.sh to build merivane.exe and run its GUI tests under Wine:
# shared Core, Gui, Widgets and Test with the Windows, offscreen and style
# plugins, nothing the program does not use. About half an hour on two cores.
# Qt's build tools (moc, uic, rcc) are the machine's own Qt of the same version.
#
# Needs root for apt-get. Usage: windows-qt.sh [PREFIX]  (default build-windows/qt6-windows,
# where scripts/windows.sh looks for it)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${WINDOWS_BUILD_DIR:-$ROOT/build-windows}
DEPS=$OUT/deps
PREFIX=${1:-$OUT/qt6-windows}
mkdir -p "$DEPS"
log() { echo "windows-qt.sh: $*"; }

need=()
for pkg in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  qt6-base-dev qt6-base-dev-tools dpkg-dev cmake ninja-build; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  log "installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

source "$ROOT/scripts/windows-sources.sh"
log "fetching qt6-base's source"
src=$(fetch_source qt6-base)
host=$(dpkg-query -W -f='${Version}' qt6-base-dev)
[ "$(basename "$src")" = "qt6-base-${host%-*}" ] ||
  { log "the source ($(basename "$src")) is not the machine's Qt ($host), whose tools the build uses"; exit 1; }

build=$DEPS/qt6-base-build
rm -rf "$build"
# Only what the program uses. Tablet input needs the Wintab header, which
# Debian's source leaves out.
off=()
for feature in sql network dbus printsupport xml concurrent tabletevent dynamicgl opengl_dynamic; do
  off+=("-DFEATURE_$feature=OFF")
done
log "configuring $(basename "$src") for Windows"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
  -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DINPUT_opengl=no "${off[@]}" \
  >"$DEPS/qt6-base-configure.log" 2>&1 || { tail -n 40 "$DEPS/qt6-base-configure.log"; exit 1; }
log "building (log: $DEPS/qt6-base-build.log)"
cmake --build "$build" -j"$(nproc)" >"$DEPS/qt6-base-build.log" 2>&1 ||
  { grep -m 20 -B 2 -A 8 "error" "$DEPS/qt6-base-build.log"; exit 1; }
cmake --install "$build" >/dev/null
rm -rf "$build"
log "installed in $PREFIX"
