#!/usr/bin/env bash
# merivane-cli.exe under Wine against the Linux merivane-devsim, whose
# pseudo-terminal Wine maps as COM7: discovery through the modem class in the
# registry, info (line for line as the Linux program prints it), backup, report,
# upload and download (MD5-verified), set, a device unplugged and plugged in
# again in the middle of a batch, and one unplugged for good.
#
# usage: cli-under-wine.sh WINDOWS_CLI LINUX_CLI DEVSIM WORKDIR
# with WINEPREFIX set to a prefix of its own and its wineserver running.
set -euo pipefail
EXE=$1 LINUX_CLI=$2 DEVSIM=$3 WORK=$4
WINE64=${WINE64:-/usr/lib/wine/wine64}
export WINEDEBUG=-all MERIVANE_TIME_SCALE=${MERIVANE_TIME_SCALE:-20}
rm -rf "$WORK" && mkdir -p "$WORK"
cd "$WORK"
fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }
win() { timeout 120 "$WINE64" "$EXE" "$@"; }

DEVICE=$WORK/device
"$DEVSIM" --link "$DEVICE" --state-dir "$WORK/state" >"$WORK/devsim.log" 2>&1 &
SIM=$!
trap 'kill $SIM 2>/dev/null || true; wait $SIM 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "$DEVICE" ] && break; sleep 0.1; done
[ -e "$DEVICE" ] || fail "the simulator published no device"

# COM7 is the simulator's terminal; the modem class lists it from a Varik
# driver and COM8 from another maker's modem, which discovery passes over.
ln -sfn "$DEVICE" "$WINEPREFIX/dosdevices/com7"
CLASS='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}'
"$WINE64" reg add "$CLASS\\0000" /v ProviderName /d "Varik Wireless" /f >/dev/null
"$WINE64" reg add "$CLASS\\0000" /v AttachedTo /d COM7 /f >/dev/null
"$WINE64" reg add "$CLASS\\0001" /v ProviderName /d "Other Modems Inc" /f >/dev/null
"$WINE64" reg add "$CLASS\\0001" /v AttachedTo /d COM8 /f >/dev/null

ports=$(win ports | tr -d '\r')
echo "$ports"
[ "$(grep -c 'COM' <<<"$ports")" = 1 ] && grep -q COM7 <<<"$ports" ||
  fail "ports should list COM7 alone"
pass "ports: one candidate, COM7"

win info | tr -d '\r' >"$WORK/info-windows.txt"
MERIVANE_TIME_SCALE=$MERIVANE_TIME_SCALE "$LINUX_CLI" --port "$DEVICE" info >"$WORK/info-linux.txt"
# The port's own name is the one line that differs.
diff <(sed "s|$DEVICE|PORT|g" "$WORK/info-linux.txt") <(sed 's|COM7|PORT|g' "$WORK/info-windows.txt") ||
  fail "info differs from the Linux program's"
pass "info matches the Linux output line for line"

# Every device in a process of its own: the one device, with its output as the
# program itself prints it.
win --all info | tr -d '\r' >"$WORK/info-fleet.txt"
grep -q "^== COM7 ==" "$WORK/info-fleet.txt" && grep -q "^COM7  done" "$WORK/info-fleet.txt" ||
  fail "--all info did not run the device in a process of its own"
grep -q '\\x0d' "$WORK/info-fleet.txt" && fail "--all info shows the device's line ends"
pass "--all: one process per device"

# The command log's header carries the version read back from the resource.
win --debug info >/dev/null
grep -aq "Varik Merivane Version 1.0.33.0 STARTED AT" command.log || fail "the log header"
pass "command log header from the version resource"

win backup backup.cfg >/dev/null && grep -q "<" backup.cfg || fail "backup"
pass "backup"

# The diagnostic report: a .tar.gz that tar reads, with the registry's facts of the port.
win --debug report report.tar.gz >/dev/null || fail "report"
tar -xzOf report.tar.gz host.txt | tee report-host.txt | grep -q "^registry: AttachedTo=COM7" ||
  fail "the report's host facts: $(cat report-host.txt)"
pass "diagnostic report"

head -c 20000 /dev/urandom | base64 >script.py
win upload script.py >/dev/null || fail "upload"
mkdir -p back
win download script.py 'back\script.py' >/dev/null || fail "download"
[ "$(md5sum <script.py | cut -d' ' -f1)" = "$(md5sum <back/script.py | cut -d' ' -f1)" ] ||
  fail "the downloaded file differs from the uploaded one"
pass "upload and download, MD5-verified"

win set mobile_simple/apn=wine.example >/dev/null || fail "set"
win get mobile_simple/apn | tr -d '\r' | grep -q wine.example || fail "the set value did not stick"
pass "set"

# Unplugged during a batch and plugged in again: the batch completes. The
# settings' 30 s settle pause runs slower here (time scale 5) so that the
# unplug lands inside the run; the replug waits until the tool has noticed.
MERIVANE_TIME_SCALE=5 timeout 120 "$WINE64" "$EXE" set mobile_simple/apn=replugged.example \
  >"$WORK/replug.out" 2>&1 &
CLI=$!
sleep 3
kill -USR1 $SIM
for _ in $(seq 300); do
  grep -aq "Waiting for it to come back" "$WORK/replug.out" && break
  sleep 0.1
done
grep -aq "Waiting for it to come back" "$WORK/replug.out" || fail "the tool did not notice the unplug"
kill -USR2 $SIM
wait $CLI || { grep -a merivane-cli "$WORK/replug.out"; fail "the batch did not survive an unplug and replug"; }
win get mobile_simple/apn | tr -d '\r' | grep -q replugged.example || fail "the replugged set was lost"
pass "unplug and replug mid-batch"

# Unplugged for good: the tool gives up within the reopen window (one minute of
# product time, 12 s at time scale 5) plus 10 s.
window=$((60 / 5 + 10))
MERIVANE_TIME_SCALE=5 timeout 120 "$WINE64" "$EXE" set mobile_simple/apn=gone.example \
  >"$WORK/gone.out" 2>&1 &
CLI=$!
sleep 3
kill -USR1 $SIM
start=$(date +%s)
wait $CLI && fail "a device gone for good was reported as done"
took=$(($(date +%s) - start))
grep -aq "did not come back" "$WORK/gone.out" || fail "the tool did not say the device is gone"
[ $took -le $window ] || fail "gave up after ${took}s, more than ${window}s"
pass "unplug for good: gave up after ${took}s (limit ${window}s)"
