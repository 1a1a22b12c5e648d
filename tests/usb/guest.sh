#!/bin/sh
# PID 1 of the rig's guest: the kernel's USB serial stack (dummy_hcd, a configfs
# gadget, cdc_acm) and udev, then one scenario, its exit status written to the
# results share, then power off.
. /mnt/out/params
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts && mount -t devpts devpts /dev/pts
mount -t tmpfs run /run
mount -t tmpfs tmp /tmp
for m in fs/configfs/configfs drivers/usb/common/usb-common drivers/usb/core/usbcore \
         drivers/usb/gadget/udc/udc-core drivers/usb/gadget/udc/dummy_hcd \
         drivers/usb/gadget/libcomposite drivers/usb/gadget/function/u_serial \
         drivers/usb/gadget/function/usb_f_acm drivers/usb/class/cdc-acm; do
    busybox insmod "$RIG_KROOT/lib/modules/$RIG_KVER/kernel/$m.ko"
done
mountpoint -q /sys/kernel/config || mount -t configfs none /sys/kernel/config

# udev from the unpacked package, with its own rules.
cp "$RIG_KROOT/bin/udevadm" /bin/udevadm
mkdir -p /lib/systemd && ln -sf /bin/udevadm /lib/systemd/systemd-udevd
rm -rf /lib/udev && cp -a "$RIG_KROOT/lib/udev" /lib/udev
/lib/systemd/systemd-udevd --daemon
udevadm control --ping -t 10

. "$RIG_SOURCE/tests/usb/gadget.sh"
export RIG_BUILD RIG_SOURCE
[ -n "$RIG_TIME_SCALE" ] && export MERIVANE_TIME_SCALE="$RIG_TIME_SCALE"
echo "rig: running $RIG_SCENARIO at $(cut -d" " -f1 /proc/uptime) s"
(. "$RIG_SOURCE/tests/usb/scenarios/$RIG_SCENARIO.sh") 2>&1
status=$?
echo "rig: $RIG_SCENARIO exit $status"
echo "$status" >/mnt/out/status
sync
poweroff -f
