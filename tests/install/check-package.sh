#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it: its control data (name,
# version, architecture, declared dependencies, maintainer scripts), its
# contents, and that the programs unpacked from it run with the system's
# libraries, without a display.
# Usage: check-package.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1 build=$2
. "$(dirname "$0")/lib.sh"
. "$build/install-expect.sh"
command -v dpkg-deb >/dev/null || skip "dpkg-deb is not installed"
command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps (dpkg-dev) is not installed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single .deb: ${debs[*]}"
deb=${debs[0]}

# --- Control data.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = merivane ] || fail "package name is \"$(field Package)\""
[ "$(field Version)" = "$version" ] || fail "package version is \"$(field Version)\", not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture is \"$(field Architecture)\""
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
names=" $(sed -E "s/ *\([^)]*\)//g; s/[,|]/ /g" <<<"$depends" | tr -s " ") "
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libxml2 libudev1; do
    [[ $names == *" $library "* ]] || fail "Depends lacks $library: $depends"
done
# Every dependency names an installed package of a version that satisfies it:
# the libraries the programs were linked against here.
IFS=',' read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    first=${clause%%|*}
    if [[ $first =~ ^[[:space:]]*([a-z0-9.+-]+)([[:space:]]*\(([<>=]+)[[:space:]]*([^\)]+)\))? ]]; then
        name=${BASH_REMATCH[1]} relation=${BASH_REMATCH[3]} wanted=${BASH_REMATCH[4]}
    else
        fail "cannot read the dependency \"$clause\""
    fi
    installed=$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null) || fail "dependency $name is not a known package"
    [ -n "$installed" ] || fail "dependency $name is not installed"
    if [ -n "$relation" ]; then
        case $relation in '>=') op=ge ;; '<=') op=le ;; '=') op=eq ;; '>>') op=gt ;; '<<') op=lt ;; esac
        dpkg --compare-versions "$installed" "$op" "$wanted" ||
            fail "dependency $name ($relation $wanted) is not met by $installed"
    fi
done
# Listed first, then searched: grep -q leaving a pipeline early would fail it under pipefail.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
grep -qx './postinst' <<<"$control" || fail "no postinst script"
grep -qx './postrm' <<<"$control" || fail "no postrm script"

# --- Contents: the same files as a plain install below /usr, all owned by root.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sed 's|^\./usr/||' | sort)
want=("$bin_dir/merivane" "$data_dir/applications/merivane.desktop"
      "$man_dir/man1/merivane.1$man_suffix" "$udev_dir/60-merivane.rules")
for size in $icon_sizes; do want+=("$data_dir/icons/hicolor/${size}x${size}/apps/merivane.png"); done
if [ "$cli" = 1 ]; then want+=("$bin_dir/merivane-cli"); fi
if [ "$cli_man" = 1 ]; then want+=("$man_dir/man1/merivane-cli.1$man_suffix"); fi
diff <(printf '%s\n' "${want[@]}" | sort) <(echo "$files") ||
    fail "package contents differ from the expected list (< expected, > packed)"
awk '$2 != "root/root" {bad=1} END {exit bad}' <<<"$listing" || fail "files not owned by root/root"
awk '$1 ~ /^-/ && $6 ~ /\/bin\// && $1 != "-rwxr-xr-x" {bad=1} END {exit bad}' <<<"$listing" ||
    fail "programs are not mode 0755"

# --- The programs from the unpacked package, on the system's libraries.
dpkg-deb -x "$deb" "$work/root"
check_program "$work/root/usr/bin/merivane" merivane "$version"
if [ "$cli" = 1 ]; then
    check_program "$work/root/usr/bin/merivane-cli" merivane-cli "$version"
    # Without a device attached it reports that none was found (exit status 3).
    status=0
    out=$(run_without_display "$work/root/usr/bin/merivane-cli" ports 2>&1) || status=$?
    if [ "$status" != 0 ] && ! { [ "$status" = 3 ] && grep -q "no device found" <<<"$out"; }; then
        fail "merivane-cli ports failed (exit status $status): $out"
    fi
    echo "merivane-cli ports: ${out:-(no ports)}"
fi
if command -v file >/dev/null; then
    file -L "$work/root/usr/bin/merivane" | grep -q ', stripped' || fail "merivane is not stripped"
fi
echo "package: $(basename "$deb") checked"
