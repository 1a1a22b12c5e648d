# Our udev rule, installed: the port carries ID_MM_DEVICE_IGNORE=1 and the
# uaccess tag, and its line is raw from the moment it appears, so output the
# device sends before the tool opens a replugged port is not echoed back.
install_rules "$RIG_SOURCE/packaging/60-merivane.rules"
gadget_make 1
wait_for $BYID || fail "no by-id link"
udevadm info /dev/ttyACM0 | tee /tmp/props
grep -q "E: ID_MM_DEVICE_IGNORE=1" /tmp/props || fail "ModemManager is not told to ignore the port"
grep -q "uaccess" /tmp/props || fail "the port is not tagged uaccess"
stty -F /dev/ttyACM0 -a | grep -q -- "-echo " || fail "the line is not raw after the plug"

start_device --log /tmp/device.log || fail "the device did not start"
"$CLI" info >/dev/null || fail "info failed"
kill $DEVICE_PID; wait $DEVICE_PID 2>/dev/null
gadget_unplug
wait_gone /dev/ttyACM0 || fail "ttyACM0 stayed after the unplug"
gadget_plug
wait_for $BYID || fail "no by-id link after the replug"
exec 3<>/dev/ttyGS0
stty -F /dev/ttyGS0 raw -echo
timeout 30 cat <&3 >/tmp/back &
reader=$!
printf 'STALE-REPLUG\r\n' >&3
MERIVANE_TIME_SCALE=20 timeout 20 "$CLI" info >/dev/null 2>&1
sleep 1
kill $reader
! grep -q STALE-REPLUG /tmp/back || fail "the device's output came back to it after the replug"
