# Unplugged and plugged in again in the middle of a run: it completes, or fails
# with an error and a failing status; it never hangs or reports success falsely.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
export MERIVANE_TIME_SCALE=10
timeout 120 "$CLI" monitor --json --interval 1 --count 40 >/tmp/monitor 2>&1 &
cli=$!
sleep 6
gadget_unplug
sleep 1
gadget_plug
wait $cli
status=$?
cat /tmp/monitor
[ $status -ne 124 ] || fail "the run hung after the replug"
if [ $status -eq 0 ]; then
    [ "$(grep -c "^{" /tmp/monitor)" -ge 40 ] || fail "success with samples missing"
fi
