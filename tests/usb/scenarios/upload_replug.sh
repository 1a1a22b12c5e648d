# Unplugged in the middle of an upload's data and plugged in again: the upload
# completes or fails with an error, and the digest decides, so a reported
# success means the device holds exactly the file.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device --log /tmp/device.log || fail "the device did not start"
head -c 1500000 /dev/urandom | base64 >/tmp/big.py
export MERIVANE_TIME_SCALE=10
timeout 300 "$CLI" upload /tmp/big.py >/tmp/upload 2>&1 &
cli=$!
wait_for_line 'command AT&USBINTERFACE=5$' /tmp/device.log || fail "the data phase did not start"
sleep 1
grep -q 'command AT&USBINTERFACE=18' /tmp/device.log && fail "the data phase ended before the unplug"
gadget_unplug
sleep 2
gadget_plug
wait $cli
status=$?
cat /tmp/upload
echo "data phases begun: $(grep -c 'command AT&USBINTERFACE=5$' /tmp/device.log)"
[ $status -ne 124 ] || fail "the upload hung after the replug"
if [ $status -eq 0 ]; then
    "$CLI" download big.py /tmp/back.py || fail "the uploaded file cannot be read back"
    cmp /tmp/big.py /tmp/back.py || fail "reported uploaded, but the device's file differs"
else
    grep -qi "fail\|not\|error" /tmp/upload || fail "failed without saying why"
fi
