# Output the device sends while the host has the port closed reaches the host
# when the port is opened. A terminal opened in its default cooked mode echoes
# it back to the device, which takes it as input. The kernel does that inside
# the very first open, before any program can set raw mode; later opens find
# the settings its last user left. So every open of the tool, the open test of
# discovery included, must leave the line raw, and no later open may echo.
# (A replugged port starts cooked again: our udev rule's case.)
gadget_make 1
wait_for /dev/ttyACM0 || fail "no ttyACM0"
exec 3<>/dev/ttyGS0
stty -F /dev/ttyGS0 raw -echo

# The control: a cooked open echoes what was waiting.
printf 'STALE-CONTROL\r\n' >&3
timeout 1 cat /dev/ttyACM0 >/dev/null
timeout 1 cat <&3 >/tmp/back.control
grep -q STALE-CONTROL /tmp/back.control || fail "the rig shows no echo at open: the case cannot fail"

# The tool's first open, with nothing waiting; then opens with output waiting.
"$CLI" ports >/dev/null
timeout 30 cat <&3 >/tmp/back &
reader=$!
printf 'STALE-PORTS\r\n' >&3
"$CLI" ports >/dev/null
printf 'STALE-SESSION\r\n' >&3
MERIVANE_TIME_SCALE=20 timeout 20 "$CLI" --port /dev/ttyACM0 info >/dev/null 2>&1
sleep 1; kill $reader

echo "the device received:"
tr -c '[:print:]\n' '.' </tmp/back
for case in PORTS SESSION; do
    ! grep -q "STALE-$case" /tmp/back || fail "the device's output came back to it ($case)"
done
