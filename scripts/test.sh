#!/usr/bin/env bash
# Sets up a fresh machine, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh -DMERIVANE_BUILD_TESTS=ON -DMERIVANE_BUILD_BENCH=ON
cd "${BUILD_DIR:-build}"
ctest --output-on-failure -j "$(nproc)" --timeout 600
