# Replugged while an old descriptor of the port is still open, the device comes
# back under the next ttyACM name; the by-id link follows and discovery finds it.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
sh -c 'exec 3<>/dev/ttyACM0; sleep 600' &
sleep 1
gadget_unplug
wait_gone $BYID || fail "the by-id link stayed after the unplug"
gadget_plug
wait_for $BYID || fail "no by-id link after the replug"
[ "$(readlink $BYID)" = ../../ttyACM1 ] || fail "expected the name to shift, got $(readlink $BYID)"
"$CLI" info | tee /tmp/info
grep -q "Connected ($BYID)" /tmp/info || fail "info did not reach the device by its by-id link"
