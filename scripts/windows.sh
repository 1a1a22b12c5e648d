#!/usr/bin/env bash
# Cross-builds merivane-cli.exe and the unit tests for Windows with MinGW-w64,
# runs the tests under Wine, then runs merivane-cli.exe against the Linux
# merivane-devsim mapped as COM7, and packs the zip in build-windows/.
#
# Needs root for apt-get (as in CI). A Windows Qt 6 (MERIVANE_WINDOWS_QT,
# ../shared/qt6-windows, or the one scripts/windows-qt.sh builds into
# build-windows/qt6-windows) adds merivane.exe; without one the rest is built.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${WINDOWS_BUILD_DIR:-$ROOT/build-windows}
DEPS=$OUT/deps           # libxml2, libarchive and GoogleTest, built once and kept
TRIPLE=x86_64-w64-mingw32
mkdir -p "$OUT" "$DEPS"
log() { echo "windows.sh: $*"; }

# --- The cross compiler and Wine --------------------------------------------
need=()
for pkg in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
  libz-mingw-w64-dev wine64 dpkg-dev zip nsis cmake ninja-build; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  log "installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=$(command -v wine64)
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

# --- Sources from Debian, through a private apt configuration ------------------
source "$ROOT/scripts/windows-sources.sh"

# --- libxml2, static, without iconv/lzma/zlib/python ---------------------------
LIBXML2_PREFIX=$DEPS/libxml2
if [ ! -f "$LIBXML2_PREFIX/lib/libxml2.a" ] && [ ! -f "$LIBXML2_PREFIX/lib/libxml2s.a" ]; then
  log "fetching libxml2's source"
  src=$(fetch_source libxml2)
  log "building libxml2 ($(basename "$src"))"
  cmake -S "$src" -B "$DEPS/libxml2-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$LIBXML2_PREFIX" -DBUILD_SHARED_LIBS=OFF \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF >"$DEPS/libxml2-configure.log"
  cmake --build "$DEPS/libxml2-build" -j2 >"$DEPS/libxml2-build.log"
  cmake --install "$DEPS/libxml2-build" >/dev/null
fi

# --- libarchive, static, with zlib only (the report is a .tar.gz) --------------
LIBARCHIVE_PREFIX=$DEPS/libarchive
if [ ! -f "$LIBARCHIVE_PREFIX/lib/libarchive.a" ]; then
  log "fetching libarchive's source"
  src=$(fetch_source libarchive)
  log "building libarchive ($(basename "$src"))"
  off=()
  for feature in OPENSSL LIBXML2 EXPAT LZMA ZSTD BZip2 LZ4 LZO LIBB2 MBEDTLS NETTLE ICONV CNG \
    TEST TAR CPIO CAT ACL XATTR WERROR; do off+=(-DENABLE_$feature=OFF); done
  cmake -S "$src" -B "$DEPS/libarchive-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_ZLIB=ON -DZLIB_LIBRARY=/usr/$TRIPLE/lib/libz.a "${off[@]}" \
    >"$DEPS/libarchive-configure.log"
  cmake --build "$DEPS/libarchive-build" -j2 --target archive_static >"$DEPS/libarchive-build.log"
  mkdir -p "$LIBARCHIVE_PREFIX/lib" "$LIBARCHIVE_PREFIX/include"
  cp "$src/libarchive/archive.h" "$src/libarchive/archive_entry.h" "$LIBARCHIVE_PREFIX/include/"
  cp "$DEPS/libarchive-build/libarchive/libarchive_static.a" "$LIBARCHIVE_PREFIX/lib/libarchive.a"
fi

# --- GoogleTest from the machine's own source, with the cross compiler --------
GTEST_PREFIX=$DEPS/googletest
if [ ! -f "$GTEST_PREFIX/lib/libgtest.a" ]; then
  log "building GoogleTest"
  cmake -S /usr/src/googletest -B "$DEPS/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$GTEST_PREFIX" >"$DEPS/googletest-configure.log"
  cmake --build "$DEPS/googletest-build" -j2 >"$DEPS/googletest-build.log"
  cmake --install "$DEPS/googletest-build" >/dev/null
fi

# --- The header-only libraries, from the machine's own packages -------------
HEADERS=$DEPS/headers/include
if [ ! -f "$HEADERS/CLI/CLI.hpp" ] || [ ! -f "$HEADERS/nlohmann/json.hpp" ]; then
  mkdir -p "$HEADERS"
  cp -r /usr/include/CLI /usr/include/nlohmann "$HEADERS/"
fi

# --- Merivane ----------------------------------------------------------------
export MERIVANE_WINDOWS_PREFIXES="$LIBXML2_PREFIX:$LIBARCHIVE_PREFIX:$GTEST_PREFIX:$DEPS/headers"
# The host's pkg-config would name Linux libraries.
export PKG_CONFIG_LIBDIR=$LIBXML2_PREFIX/lib/pkgconfig
QT=${MERIVANE_WINDOWS_QT:-}
[ -z "$QT" ] && [ -d "$ROOT/../shared/qt6-windows" ] && QT=$(cd "$ROOT/../shared/qt6-windows" && pwd)
[ -z "$QT" ] && [ -f "$OUT/qt6-windows/bin/Qt6Widgets.dll" ] && QT=$OUT/qt6-windows
qtargs=()
if [ -n "$QT" ]; then
  MERIVANE_WINDOWS_PREFIXES="$MERIVANE_WINDOWS_PREFIXES:$QT"
  qtargs=(-DCMAKE_PREFIX_PATH="$QT")
else
  log "no Windows Qt 6 (MERIVANE_WINDOWS_QT, ../shared/qt6-windows, or scripts/windows-qt.sh's): merivane.exe is not built"
fi
werror=()
[ "${CI:-}" = true ] && werror=(-DMERIVANE_WERROR=ON)
cmake -S "$ROOT" -B "$OUT" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DMERIVANE_BUILD_TESTS=ON -DMERIVANE_BUILD_BENCH=OFF \
  "${werror[@]}" "${qtargs[@]}" >"$OUT/configure.log" || { cat "$OUT/configure.log"; exit 1; }
targets=(merivane-cli unit_tests)
[ -n "$QT" ] && targets+=(merivane gui_tests)
cmake --build "$OUT" -j2 --target "${targets[@]}"

# --- Tests under Wine ----------------------------------------------------------
# A prefix of its own, and a wineserver that stays up (each program would
# otherwise wait for one to start, and a pty hang-up makes it print a lot).
export WINEPREFIX=$OUT/wine-prefix WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || log "creating the Wine prefix"
mkdir -p "$WINEPREFIX"
# One left running in this prefix by an earlier run would refuse a second.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -p >"$OUT/wineserver.log" 2>&1
trap '"$WINESERVER" -k >/dev/null 2>&1 || true' EXIT
# Wine's own services start here, with their output in a file: started by the
# first test instead, they would hold its output pipe open and ctest would
# wait for them.
"$WINE64" wineboot -i >"$OUT/wineboot.log" 2>&1 </dev/null
if [ -n "$QT" ]; then
  # Wine finds the Qt and MinGW DLLs through WINEPATH, and Qt its plugins here;
  # ctest lists the GUI tests by running them, whichever label it runs.
  runtime=$(ls -d /usr/lib/gcc/$TRIPLE/*-posix | head -n1)
  winpath() { "$WINE64" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
  export WINEPATH="$(winpath "$QT/bin");$(winpath "$runtime");$(winpath /usr/$TRIPLE/lib)"
  export QT_PLUGIN_PATH="$(winpath "$QT/plugins")"
fi
log "unit tests under Wine"
(cd "$OUT" && ctest -j2 --output-on-failure -L unit) >"$OUT/ctest.log" 2>&1 ||
  { tail -n 60 "$OUT/ctest.log"; exit 1; }
tail -n 3 "$OUT/ctest.log"
if [ -n "$QT" ]; then
  log "GUI tests under Wine (offscreen)"
  (cd "$OUT" && ctest -j2 --output-on-failure -L gui) >"$OUT/ctest-gui.log" 2>&1 ||
    { tail -n 60 "$OUT/ctest-gui.log"; exit 1; }
  tail -n 3 "$OUT/ctest-gui.log"
fi

# The Linux simulator and command line, from the Linux build (built if missing).
LINUX=${LINUX_BUILD_DIR:-$ROOT/build}
if [ ! -x "$LINUX/sim/merivane-devsim" ] || [ ! -x "$LINUX/merivane-cli" ]; then
  [ -f "$LINUX/build.ninja" ] || cmake -S "$ROOT" -B "$LINUX" -G Ninja >/dev/null
  cmake --build "$LINUX" -j2 --target merivane-devsim merivane-cli
fi
log "merivane-cli.exe against merivane-devsim on COM7"
bash "$ROOT/tests/windows/cli-under-wine.sh" "$OUT/merivane-cli.exe" "$LINUX/merivane-cli" \
  "$LINUX/sim/merivane-devsim" "$OUT/cli-under-wine"

# --- The artefacts: a zip and an installer ----------------------------------------
VERSION=$(sed -nE 's/^project\(Merivane VERSION ([0-9.]+).*/\1/p' "$ROOT/CMakeLists.txt")
ZIP=$OUT/merivane-windows-$VERSION.zip
rm -f "$ZIP"
STAGE=$OUT/stage && rm -rf "$STAGE" && mkdir -p "$STAGE"
cp "$OUT/merivane-cli.exe" "$ROOT/README.md" "$STAGE/"
if [ -f "$OUT/merivane.exe" ]; then
  cp "$OUT/merivane.exe" "$STAGE/"
  bash "$ROOT/scripts/windows-deploy-qt.sh" "$STAGE/merivane.exe" "$QT"
fi
(cd "$STAGE" && zip -q -r "$ZIP" .)
log "packed $ZIP"
if [ -f "$STAGE/merivane.exe" ]; then
  if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
    log "merivane.exe, as deployed, against merivane-devsim on COM7"
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$ROOT/tests/windows/gui-under-wine.sh" \
      "$STAGE/merivane.exe" "$LINUX/sim/merivane-devsim" "$OUT/gui-under-wine"
  else
    log "no xvfb-run or xdotool: merivane.exe is built but not run"
  fi
fi
INSTALLER=$OUT/merivane-windows-$VERSION-installer.exe
bash "$ROOT/scripts/windows-installer.sh" "$STAGE" "$VERSION" "$INSTALLER" >"$OUT/makensis.log" ||
  { cat "$OUT/makensis.log"; exit 1; }
log "the installer under Wine"
bash "$ROOT/tests/windows/installer-under-wine.sh" "$INSTALLER" "$STAGE" "$VERSION"
log "built $INSTALLER"
