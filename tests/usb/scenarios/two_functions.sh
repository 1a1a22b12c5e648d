# A device with two serial functions. Without a hint both ports are offered;
# where udev names the AT command port (ModemManager's port type hints, as a
# maker's rules give them), discovery offers that one alone and info reaches
# the device through it.
gadget_make 2
wait_for $BYID || fail "no by-id link for the first function"
second=${BYID%-if00}-if02
wait_for "$second" || fail "no by-id link for the second function"
"$CLI" ports | tee /tmp/ports
grep -q -- "$BYID " /tmp/ports && grep -q -- "$second " /tmp/ports ||
    fail "without a hint both ports should be offered"

cat >/tmp/77-rig-port-hints.rules <<'RULES'
SUBSYSTEM=="tty", ENV{ID_VENDOR_ID}=="1d6b", ENV{ID_USB_INTERFACE_NUM}=="00", ENV{ID_MM_PORT_TYPE_AT_PRIMARY}="1"
RULES
install_rules /tmp/77-rig-port-hints.rules
udevadm trigger --subsystem-match=tty --action=change
udevadm settle -t 10
udevadm info /dev/ttyACM0 | grep -q "ID_MM_PORT_TYPE_AT_PRIMARY=1" || fail "the rig's hint did not take"
start_device || fail "the device did not start"
"$CLI" ports | tee /tmp/ports
grep -q -- "$BYID " /tmp/ports || fail "the AT command port is not offered"
! grep -q -- "$second" /tmp/ports || fail "the other port is offered beside the AT command port"
"$CLI" info | tee /tmp/info
grep -q "Connected ($BYID)" /tmp/info || fail "info did not reach the device through its AT port"
