#!/bin/sh
# Fetches what the USB rig needs from the Debian archive (apt-get only): QEMU,
# busybox and xdotool installed, the stock kernel and udev unpacked (not installed) into
# $MERIVANE_USB_CACHE (default /var/cache/merivane-usb). Run as root; safe to repeat.
set -eu
cache=${MERIVANE_USB_CACHE:-/var/cache/merivane-usb}
mkdir -p "$cache"
cd "$cache"
# xdotool finds the desktop program's window in the guest's X server.
if ! command -v qemu-system-x86_64 >/dev/null || [ ! -x /bin/busybox ] || ! command -v xdotool >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        qemu-system-x86 busybox-static xdotool >/dev/null
fi
if [ ! -e root/boot/vmlinuz ]; then
    kernel=$(apt-cache depends linux-image-amd64 | sed -n 's/.*Depends: \(linux-image-[0-9].*-amd64\)$/\1/p' | head -n1)
    [ -n "$kernel" ] || { echo "no stock kernel package known to apt" >&2; exit 1; }
    rm -rf debs root && mkdir debs root
    (cd debs && apt-get download -qq "$kernel" udev)
    for deb in debs/*.deb; do dpkg-deb -x "$deb" root; done
    ln -sf "$(ls root/boot/vmlinuz-* | head -n1 | xargs basename)" root/boot/vmlinuz
fi
echo "$cache"
