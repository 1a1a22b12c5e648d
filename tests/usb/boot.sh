#!/bin/sh
# Boots the rig's guest under QEMU (TCG) to run one scenario, and prints the
# guest's console. Usage: boot.sh SCENARIO BUILD_DIR. Exit 77 (skipped, with a
# one-line reason) where QEMU or the unpacked kernel is missing; otherwise the
# scenario's exit status as the guest recorded it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
scenario=$1
build=$(cd "$2" && pwd)
cache=${MERIVANE_USB_CACHE:-/var/cache/merivane-usb}
kroot=$cache/root
skip() { echo "skipped: $*"; exit 77; }
command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 not installed (tests/usb/setup.sh installs it)"
[ -e "$kroot/boot/vmlinuz" ] || skip "no unpacked kernel in $cache (run tests/usb/setup.sh as root)"
[ -x /bin/busybox ] || skip "busybox-static not installed"
[ -r /dev/kvm ] || true

work=$(mktemp -d /tmp/merivane-usb.XXXXXX)
trap 'rm -rf "$work"' EXIT
kver=$(basename "$(ls -d "$kroot"/lib/modules/*)")
mods=$kroot/lib/modules/$kver/kernel

# The initramfs: busybox, the modules that reach the host root, and init.
mkdir -p "$work/initrd/bin" "$work/initrd/modules" "$work/initrd/proc" "$work/initrd/sys" \
    "$work/initrd/dev" "$work/out"
cp /bin/busybox "$work/initrd/bin/"
ln -s busybox "$work/initrd/bin/sh"
for m in drivers/virtio/virtio_ring drivers/virtio/virtio drivers/virtio/virtio_pci_legacy_dev \
         drivers/virtio/virtio_pci_modern_dev drivers/virtio/virtio_pci fs/netfs/netfs \
         fs/fscache/fscache net/9p/9pnet net/9p/9pnet_virtio fs/9p/9p fs/overlayfs/overlay; do
    cp "$mods/$m.ko" "$work/initrd/modules/"
done
cp "$here/init.sh" "$work/initrd/init"
chmod +x "$work/initrd/init"
(cd "$work/initrd" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$work/initrd.gz"

cat >"$work/out/params" <<PARAMS
RIG_GUEST='$here/guest.sh'
RIG_SCENARIO='$scenario'
RIG_BUILD='$build'
RIG_SOURCE='$(cd "$here/../.." && pwd)'
RIG_KROOT='$kroot'
RIG_KVER='$kver'
RIG_TIME_SCALE='${MERIVANE_TIME_SCALE:-}'
PARAMS

timeout 600 qemu-system-x86_64 -machine accel=tcg -cpu max -m 1024 -smp 1 \
    -nographic -no-reboot -nodefaults -serial stdio \
    -kernel "$kroot/boot/vmlinuz" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
    -virtfs local,path=/,mount_tag=root,readonly=on,security_model=passthrough,multidevs=remap \
    -virtfs local,path="$work/out",mount_tag=out,security_model=passthrough </dev/null || true

cp "$work/out/"*.png "$build/" 2>/dev/null || true
[ -f "$work/out/status" ] || { echo "the guest recorded no result"; exit 1; }
status=$(cat "$work/out/status")
exit "$status"
