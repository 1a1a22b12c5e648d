#!/usr/bin/env bash
# Sets up a fresh machine, builds, and starts Merivane against its built-in
# simulated device (a gateway with its mesh radio; pass --demo=korvane for the tracker).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh -DMERIVANE_BUILD_BENCH=OFF -DMERIVANE_BUILD_TESTS=OFF
demo=--demo
[ $# -gt 0 ] && demo=$1
exec "${BUILD_DIR:-build}/merivane" "$demo"
