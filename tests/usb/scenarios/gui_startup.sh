# The desktop program starts against the real port: discovery through udev,
# the whole start-up sequence, and the property sheet up. A screenshot lands
# in the build folder (gui_startup.png) where imagemagick is installed.
gadget_make 1
wait_for $BYID || fail "no by-id link"
start_device || fail "the device did not start"
Xvfb :5 -screen 0 1024x768x24 -nolisten tcp >/tmp/xvfb.out 2>&1 &
sleep 2
export DISPLAY=:5 HOME=/tmp XDG_RUNTIME_DIR=/tmp MERIVANE_TIME_SCALE=10
cd /tmp
"$RIG_BUILD/merivane" --debug >/tmp/gui.out 2>&1 &
gui=$!
wait_for_line "zigbee" /tmp/command.log || wait_for_line "zigbee" /tmp/command.log ||
    { cat /tmp/gui.out; fail "start-up did not reach its last exchange"; }
sleep 5
kill -0 $gui 2>/dev/null || { cat /tmp/gui.out; fail "the program ended after start-up"; }
! command -v import >/dev/null || import -window root /mnt/out/gui_startup.png
grep -q "PARSED RESULT: SUCCESS" /tmp/command.log || fail "no exchange succeeded"
! grep -qi "unable to communicate" /tmp/gui.out || fail "start-up gave up"
xdotool search --name "^Merivane$" >/dev/null || fail "no window is up"
kill $gui
