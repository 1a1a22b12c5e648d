# Pulled for good in the middle of a run, the tool gives up within the reopen
# window plus 10 s (run ten times faster) and says so, with a failing status.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
export MERIVANE_TIME_SCALE=10
"$CLI" monitor --interval 1 --count 1000 >/tmp/monitor 2>&1 &
cli=$!
sleep 8
gadget_unplug
start=$(cut -d. -f1 /proc/uptime)
t=0
while kill -0 $cli 2>/dev/null && [ $t -lt 300 ]; do sleep 0.1; t=$((t + 1)); done
kill -0 $cli 2>/dev/null && { kill $cli; cat /tmp/monitor; fail "still running 30 s after the unplug"; }
wait $cli
status=$?
cat /tmp/monitor
echo "gave up after $(($(cut -d. -f1 /proc/uptime) - start)) s"
[ $status -ne 0 ] || fail "an unplugged run reported success"
