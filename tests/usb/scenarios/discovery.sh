# The real port found through libudev: its by-id link as the name, the provider
# passing the filter, info read from the device behind it, and the port as the
# diagnostic report describes it.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
"$CLI" ports | tee /tmp/ports
grep -q "$BYID" /tmp/ports || fail "the by-id link is not the port name"
grep -q "Varik Systems" /tmp/ports || fail "the provider is not shown"
"$CLI" info | tee /tmp/info
grep -q "Brivel" /tmp/info || fail "info did not identify the device"
# The diagnostic report names the port as udev knows it.
(cd /tmp && "$CLI" report /tmp/report.tar.gz >/dev/null) || fail "report failed"
mkdir -p /tmp/report && tar -xzf /tmp/report.tar.gz -C /tmp/report
host=$(find /tmp/report -name host.txt)
cat "$host"
grep -q "$BYID" "$host" || fail "the report does not give the port's by-id link"
grep -q "ID_VENDOR=Varik_Systems" "$host" || fail "the report lacks the port's udev properties"
