#!/bin/sh
# /init of the rig's initramfs: mounts the host's root (9p, read-only) under a
# tmpfs overlay, mounts the results share on /mnt/out and hands over to the
# guest script named in the share's params file.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in virtio_ring virtio virtio_pci_legacy_dev virtio_pci_modern_dev virtio_pci \
         netfs fscache 9pnet 9pnet_virtio 9p overlay; do
    insmod /modules/$m.ko
done
# virtio devices appear asynchronously
sleep 0.3
mkdir -p /lower /rw /newroot
opts=trans=virtio,version=9p2000.L,msize=262144,cache=loose
mount -t 9p -o ro,$opts root /lower || { echo "rig: cannot mount the host root"; poweroff -f; }
mount -t tmpfs -o size=512m rw /rw
mkdir -p /rw/upper /rw/work
mount -t overlay -o lowerdir=/lower,upperdir=/rw/upper,workdir=/rw/work overlay /newroot
mkdir -p /newroot/mnt/out
mount -t 9p -o $opts out /newroot/mnt/out
. /newroot/mnt/out/params
umount /proc /sys /dev
exec switch_root /newroot /bin/sh "$RIG_GUEST"
