# Console output the device sends while the host has the port closed waits in
# the kernel until the port opens; the tool must set the line raw before the
# terminal can echo it back to the device as if it were a command.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device --log /tmp/device.log || fail "the device did not start"
sleep 4
"$CLI" info >/tmp/info || fail "info failed"
grep ' RX ' /tmp/device.log | grep -E 'cellular:|ppp0:|rci:|usb:|python:|mgmt:' &&
    fail "the device's own console output came back to it"
grep -q ' RX ' /tmp/device.log || fail "the device received nothing"
# The control: a plain open in the default cooked mode does echo it, so the
# check above can see the fault.
sleep 4
timeout 2 cat /dev/ttyACM0 >/dev/null
grep ' RX ' /tmp/device.log | grep -qE 'cellular:|ppp0:|rci:|usb:|python:|mgmt:' ||
    echo "note: no echo even from a cooked open (the kernel dropped the output while closed)"
