# The real port found through libudev: its by-id link as the name, the provider
# passing the filter, and info read from the device behind it.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
"$CLI" ports | tee /tmp/ports
grep -q "$BYID" /tmp/ports || fail "the by-id link is not the port name"
grep -q "Varik Systems" /tmp/ports || fail "the provider is not shown"
"$CLI" info | tee /tmp/info
grep -q "Brivel" /tmp/info || fail "info did not identify the device"
