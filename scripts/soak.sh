#!/usr/bin/env bash
# The long soak: CYCLES (default 500) identification and apply cycles against
# the simulated device with random faults, without a window and through the
# progress dialogs (offscreen), first in the normal build (resident memory
# must not grow, no dialog left open), then in the AddressSanitizer build
# (no leak, no memory error).
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${CYCLES:-500}
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
build=${BUILD_DIR:-build}
BUILD_DIR=$build scripts/build.sh -DMERIVANE_BUILD_TESTS=ON >/dev/null
sanitized=${SANITIZE_BUILD_DIR:-build-sanitize}
cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIVANE_SANITIZE=ON \
  -DMERIVANE_BUILD_TESTS=ON -DMERIVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$sanitized" -j "$(nproc)" --target merivane_soak merivane_gui_soak
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for dir in "$build" "$sanitized"; do
  echo "== $dir: without a window"
  "$dir/tests/merivane_soak" "$cycles" 50
  echo "== $dir: through the progress dialogs"
  "$dir/tests/gui/merivane_gui_soak" "$cycles" 50
done
