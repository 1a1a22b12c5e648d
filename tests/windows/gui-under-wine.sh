#!/usr/bin/env bash
# merivane.exe under Wine, on an X server, against the Linux merivane-devsim
# mapped as COM7: it finds the port through the modem class in the registry,
# runs the whole start-up and shows the sheet; Escape then closes the sheet, the
# device's console is resumed and the program ends with status 0. A screenshot
# of the sheet lands in WORKDIR where imagemagick is installed.
#
# usage: gui-under-wine.sh MERIVANE_EXE DEVSIM WORKDIR
# with DISPLAY set (xvfb-run), WINEPREFIX set and its wineserver running.
set -euo pipefail
EXE=$(realpath "$1") DEVSIM=$(realpath "$2") WORK=$3
WINE64=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all MERIVANE_TIME_SCALE=${MERIVANE_TIME_SCALE:-20}
rm -rf "$WORK" && mkdir -p "$WORK"
cd "$WORK"
fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }
wait_for_line() {  # wait_for_line TEXT FILE: up to 60 s
  for _ in $(seq 600); do grep -aq "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

DEVICE=$WORK/device
"$DEVSIM" --link "$DEVICE" >"$WORK/devsim.log" 2>&1 &
SIM=$!
GUI=
trap 'kill $SIM $GUI 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "$DEVICE" ] && break; sleep 0.1; done
[ -e "$DEVICE" ] || fail "the simulator published no device"
ln -sfn "$DEVICE" "$WINEPREFIX/dosdevices/com7"
CLASS='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}'
"$WINE64" reg delete "$CLASS" /f >/dev/null 2>&1 || true
"$WINE64" reg add "$CLASS\\0000" /v ProviderName /d "Varik Wireless" /f >/dev/null
"$WINE64" reg add "$CLASS\\0000" /v AttachedTo /d COM7 /f >/dev/null

"$WINE64" "$EXE" --debug >"$WORK/gui.out" 2>&1 &
GUI=$!
# The start-up window and the sheet have the same title: the sheet is the
# window of that title that shows once the start-up's last exchange (the mesh
# radio's settings) is done and the start-up window has gone.
shown() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }
startup=
for _ in $(seq 600); do startup=$(shown 'Merivane$' | head -n1) && [ -n "$startup" ] && break; sleep 0.1; done
[ -n "$startup" ] || { cat "$WORK/gui.out"; fail "no start-up window showed"; }
wait_for_line 'rci_reply version="1.1"><do_command target="zigbee"' command.log ||
  { cat "$WORK/gui.out"; fail "start-up did not reach its last exchange"; }
sheet=
for _ in $(seq 300); do
  sheet=$(shown 'Merivane$' | grep -vx "$startup" | head -n1 || true)
  [ -n "$sheet" ] && ! shown 'Merivane$' | grep -qx "$startup" && break
  sheet=
  sleep 0.1
done
[ -n "$sheet" ] || { cat "$WORK/gui.out"; fail "the sheet did not show"; }
kill -0 "$GUI" 2>/dev/null || { cat "$WORK/gui.out"; fail "the program ended after start-up"; }
sleep 2  # let it paint
! command -v import >/dev/null || import -window root "$WORK/sheet.png" || true
grep -aq "Connected (COM7)" command.log || grep -aq "PARSED RESULT: SUCCESS" command.log ||
  fail "no exchange succeeded"
pass "merivane.exe found COM7, ran the start-up and shows the sheet"

xdotool windowfocus --sync "$sheet" key Escape
for _ in $(seq 300); do kill -0 "$GUI" 2>/dev/null || break; sleep 0.1; done
kill -0 "$GUI" 2>/dev/null && fail "Escape did not close the program"
status=0
wait "$GUI" || status=$?
GUI=
[ "$status" = 0 ] || fail "the program ended with status $status"
grep -aq "55,go" command.log || fail "the device's console was not resumed"
pass "Escape closed the sheet, the console was resumed, status 0"
