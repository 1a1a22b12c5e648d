#!/usr/bin/env bash
# The desktop program asked to stop by a signal (a logout, kill, the terminal
# closed) closes as by Cancel and leaves nothing behind: each case sends the
# signal at a moment of a --demo run and expects the shell's status for that
# signal within a few seconds, and the demo device's folder gone.
# Usage: termination.sh MERIVANE
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen MERIVANE_TIME_SCALE=20
fail() { echo "termination: FAIL: $*"; exit 1; }

# seconds after the start, signal, status, what the program is doing then
cases="0.3 TERM 143 starting-up
3 TERM 143 showing-the-sheet
3 HUP 129 showing-the-sheet"
while read -r moment signal status doing; do
  "$program" --demo >"$work/output" 2>&1 &
  pid=$!
  sleep "$moment"
  kill -"$signal" "$pid"
  t=100
  while kill -0 "$pid" 2>/dev/null && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
  kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "still running 10 s after SIG$signal while $doing"; }
  got=0
  wait "$pid" || got=$?
  [ "$got" = "$status" ] || { cat "$work/output"; fail "SIG$signal while $doing: status $got, not $status"; }
  left=$(find "$work" -maxdepth 1 -name 'merivane-demo-*')
  [ -z "$left" ] || fail "SIG$signal while $doing left $left behind"
done <<<"$cases"
echo "termination: every case closed cleanly"
