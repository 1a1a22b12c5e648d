#!/usr/bin/env bash
# Builds the core, the simulator and the unit and integration tests with
# AddressSanitizer (leak checking included) and UndefinedBehaviorSanitizer,
# and runs those tests and the simulator's. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${SANITIZE_BUILD_DIR:-build-sanitize}
werror=OFF
[ "${CI:-}" = true ] && werror=ON
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERIVANE_SANITIZE=ON -DMERIVANE_WERROR=$werror \
  -DMERIVANE_BUILD_TESTS=ON -DMERIVANE_BUILD_BENCH=OFF >/dev/null
regressions=$(cd fuzz && ls *.cpp | grep -v RegressionMain | sed 's/\.cpp$//; s/^/regress_/')
cmake --build "$build" -j "$(nproc)" --target unit_tests sim_tests integration_tests merivane_soak $regressions
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 600 -L 'unit|sim|integration'
