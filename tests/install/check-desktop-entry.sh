#!/usr/bin/env bash
# Validates the desktop entry with desktop-file-validate (the freedesktop.org rules).
# Usage: check-desktop-entry.sh DESKTOP_FILE
set -euo pipefail
. "$(dirname "$0")/lib.sh"
entry=$1
command -v desktop-file-validate >/dev/null || skip "desktop-file-validate (desktop-file-utils) is not installed"
# It prints hints, warnings and errors; any of them fails the test.
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qx 'Type=Application' "$entry" || fail "the entry is not an application"
grep -qx 'Terminal=false' "$entry" || fail "the entry would open a terminal"
echo "desktop entry: valid"
