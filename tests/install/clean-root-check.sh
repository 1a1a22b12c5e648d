#!/usr/bin/env bash
# Full check of the Debian package on a clean Debian 12, by hand (not part of
# ctest: it needs root, debootstrap and the Debian mirror, and takes minutes).
# It makes a minimal Debian 12 root with debootstrap, installs the package
# there with apt, which fetches the declared dependencies from the mirror, and
# runs the programs inside it.
#
# Usage: sudo tests/install/clean-root-check.sh build/merivane_1.0.33.0_amd64.deb [MIRROR]
# MIRROR defaults to http://deb.debian.org/debian.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 PACKAGE.deb [MIRROR]" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "$0: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "$0: install debootstrap first" >&2; exit 2; }
deb=$(realpath "$1")
mirror=${2:-http://deb.debian.org/debian}

root=$(mktemp -d /var/tmp/merivane-clean-root-XXXXXX)
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

debootstrap --variant=minbase bookworm "$root" "$mirror"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/merivane.deb"
mount -t proc proc "$root/proc"

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }
in_root apt-get update
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends /tmp/merivane.deb

in_root merivane --version
in_root merivane --help >/dev/null
in_root merivane-cli --version
in_root merivane-cli --help >/dev/null
# No device is attached inside the root: "no device found" (exit status 3) is
# the expected answer.
status=0
in_root merivane-cli ports || status=$?
[ "$status" = 0 ] || [ "$status" = 3 ] || { echo "merivane-cli ports: exit status $status" >&2; exit 1; }
in_root test -f /usr/lib/udev/rules.d/60-merivane.rules
in_root test -f /usr/share/applications/merivane.desktop
echo "clean Debian 12 root: the package installed and both programs ran"
