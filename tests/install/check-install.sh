#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR, prefix /usr) and checks
# every installed file: that it is there, that it is what it should be, and
# that nothing else was installed. The programs answer --version and --help
# without a display.
# Usage: check-install.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
cmake=$1 build=$2 source=$3
here=$(dirname "$0")
. "$here/lib.sh"
. "$build/install-expect.sh"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" "$cmake" --install "$build" --prefix /usr >"$stage/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$stage/install.log")"
root=$stage/root/usr

# Everything that must be installed, relative to the prefix.
expected=("$bin_dir/merivane" "$data_dir/applications/merivane.desktop"
          "$man_dir/man1/merivane.1$man_suffix" "$udev_dir/60-merivane.rules")
for size in $icon_sizes; do expected+=("$data_dir/icons/hicolor/${size}x${size}/apps/merivane.png"); done
if [ "$cli" = 1 ]; then expected+=("$bin_dir/merivane-cli"); fi
if [ "$cli_man" = 1 ]; then expected+=("$man_dir/man1/merivane-cli.1$man_suffix"); fi

# Exactly these files, nothing missing and nothing more.
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "installed files differ from the expected list (< expected, > installed)"

check_program "$root/$bin_dir/merivane" merivane "$version"
if [ "$cli" = 1 ]; then check_program "$root/$bin_dir/merivane-cli" merivane-cli "$version"; fi

cmp -s "$root/$udev_dir/60-merivane.rules" "$source/packaging/60-merivane.rules" ||
    fail "the installed udev rule is not the one in packaging/"
cmp -s "$root/$data_dir/applications/merivane.desktop" "$source/packaging/merivane.desktop" ||
    fail "the installed desktop entry is not the one in packaging/"
grep -qx 'Exec=merivane' "$root/$data_dir/applications/merivane.desktop" ||
    fail "the desktop entry does not start the installed program"
grep -qx 'Icon=merivane' "$root/$data_dir/applications/merivane.desktop" ||
    fail "the desktop entry does not name the installed icon"

for size in $icon_sizes; do
    check_png_size "$root/$data_dir/icons/hicolor/${size}x${size}/apps/merivane.png" "$size"
done

check_man_page "$root/$man_dir/man1/merivane.1$man_suffix"
if [ "$cli_man" = 1 ]; then check_man_page "$root/$man_dir/man1/merivane-cli.1$man_suffix"; fi
echo "install: ${#expected[@]} files checked"
