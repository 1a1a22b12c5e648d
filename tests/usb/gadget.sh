# The configfs gadget the scenarios plug and unplug, sourced by guest.sh.
# gadget_make [FUNCTIONS]: builds it with FUNCTIONS acm functions (default 1)
# and binds it; gadget_unplug / gadget_plug: the cable out and in again.
GADGET=/sys/kernel/config/usb_gadget/brivel
BYID=/dev/serial/by-id/usb-Varik_Systems_Brivel_GW-300_BRV300A0001-if00

gadget_make() {
    n=${1:-1}
    mkdir -p $GADGET/strings/0x409 $GADGET/configs/c.1/strings/0x409
    echo 0x1d6b >$GADGET/idVendor
    echo 0x0104 >$GADGET/idProduct
    echo "Varik Systems" >$GADGET/strings/0x409/manufacturer
    echo "Brivel GW-300" >$GADGET/strings/0x409/product
    echo BRV300A0001 >$GADGET/strings/0x409/serialnumber
    echo "serial" >$GADGET/configs/c.1/strings/0x409/configuration
    i=0
    while [ $i -lt "$n" ]; do
        mkdir -p $GADGET/functions/acm.$i
        ln -s $GADGET/functions/acm.$i $GADGET/configs/c.1/
        i=$((i + 1))
    done
    gadget_plug
}

gadget_unplug() { echo "" >$GADGET/UDC; }

gadget_plug() {
    ls /sys/class/udc >$GADGET/UDC
    udevadm settle -t 10
}

# wait_for PATH [SECONDS]: until PATH exists (default 10 s).
wait_for() {
    t=$((${2:-10} * 10))
    while [ ! -e "$1" ] && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
    [ -e "$1" ]
}

# wait_gone PATH [SECONDS]
wait_gone() {
    t=$((${2:-10} * 10))
    while [ -e "$1" ] && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
    [ ! -e "$1" ]
}

# start_device ARGS...: merivane-devsim on the gadget side, in the background.
start_device() {
    "$RIG_BUILD/sim/merivane-devsim" --tty /dev/ttyGS0 "$@" >/tmp/devsim.out 2>&1 &
    DEVICE_PID=$!
    wait_for_line READY /tmp/devsim.out
}

wait_for_line() {
    t=100
    while ! grep -q "$1" "$2" 2>/dev/null && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
    grep -q "$1" "$2"
}

fail() { echo "FAIL: $*"; exit 1; }

# install_rules FILE...: puts udev rules in place and restarts udevd, which
# reads every rules file when it starts. A reload is not enough: udevd 252
# decides by the rules directories' modification times, and a file written
# within the same clock tick as its last look at them goes unread.
install_rules() {
    mkdir -p /etc/udev/rules.d
    cp "$@" /etc/udev/rules.d/
    udevadm control --exit
    t=50
    while busybox pidof systemd-udevd >/dev/null && [ $t -gt 0 ]; do sleep 0.1; t=$((t - 1)); done
    /lib/systemd/systemd-udevd --daemon
    udevadm control --ping -t 10
}

CLI="$RIG_BUILD/merivane-cli"
