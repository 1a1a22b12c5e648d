#!/usr/bin/env bash
# The long soak: CYCLES (default 500) identification and apply cycles against
# the simulated device with random faults, first in the normal build (resident
# memory must not grow), then in the AddressSanitizer build (no leak).
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${CYCLES:-500}
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh >/dev/null
"${BUILD_DIR:-build}/tests/merivane_soak" "$cycles" 50
build=${SANITIZE_BUILD_DIR:-build-sanitize}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIVANE_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target merivane_soak
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 "$build/tests/merivane_soak" "$cycles" 50
