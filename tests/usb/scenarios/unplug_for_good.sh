# Pulled for good in the middle of an upload, the tool waits out the reopen
# window (a minute, run ten times faster here), gives up within it plus 10 s,
# says so, and fails.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device --log /tmp/device.log || fail "the device did not start"
head -c 1500000 /dev/urandom | base64 >/tmp/big.py
export MERIVANE_TIME_SCALE=10
"$CLI" upload /tmp/big.py >/tmp/upload 2>&1 &
cli=$!
wait_for_line 'command AT&USBINTERFACE=5$' /tmp/device.log || fail "the data phase did not start"
sleep 1
grep -q 'command AT&USBINTERFACE=18' /tmp/device.log && fail "the data phase ended before the unplug"
gadget_unplug
start=$(cut -d. -f1 /proc/uptime)
limit=$((60 / MERIVANE_TIME_SCALE + 10))
t=0
while kill -0 $cli 2>/dev/null && [ $t -lt $((limit * 10)) ]; do sleep 0.1; t=$((t + 1)); done
kill -0 $cli 2>/dev/null && { kill $cli; cat /tmp/upload; fail "still running $limit s after the unplug"; }
wait $cli
status=$?
cat /tmp/upload
echo "data phases begun: $(grep -c 'command AT&USBINTERFACE=5$' /tmp/device.log)"
echo "gave up after $(($(cut -d. -f1 /proc/uptime) - start)) s"
[ $status -ne 0 ] || fail "an unplugged upload reported success"
grep -qi "device\|port" /tmp/upload || fail "it gave up without saying why"
