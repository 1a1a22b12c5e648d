#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for FUZZ_SECONDS (default 20).
# New inputs go to a scratch corpus; an input that makes a target fail is
# left in build-fuzz/findings/<target>/ — copy it into fuzz/corpus/<target>/
# once the fault is fixed, so the unit tests keep running it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
build=${FUZZ_BUILD_DIR:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMERIVANE_FUZZ=ON -DMERIVANE_BUILD_TESTS=OFF -DMERIVANE_BUILD_BENCH=OFF >/dev/null
targets=$(cd fuzz && ls *.cpp | grep -v RegressionMain | sed 's/\.cpp$//')
cmake --build "$build" -j "$(nproc)" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
status=0
for t in $targets; do
  work="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$work" "$findings"
  echo "== fuzz_$t for ${seconds}s"
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$findings/" -print_final_stats=1 "$work" "fuzz/corpus/$t" 2>"$build/fuzz_$t.log"; then
    echo "fuzz_$t found a fault; see $build/fuzz_$t.log and $findings/"
    tail -40 "$build/fuzz_$t.log"
    status=1
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/fuzz_$t.log" | sed 's/^/   /' || true
done
exit $status
