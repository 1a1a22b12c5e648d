# Shared helpers of the install tests (sourced).

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# ctest counts this exit code as skipped (SKIP_RETURN_CODE).
skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Runs a program as a desktop menu or a terminal without a display would.
run_without_display() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$@"
}

# PROGRAM NAME VERSION: an executable that answers --version with its name
# and version and --help with its usage, without a display.
check_program() {
    local program=$1 name=$2 version=$3 out
    [ -f "$program" ] && [ -x "$program" ] || fail "$program is not an executable file"
    out=$(run_without_display "$program" --version 2>&1) || fail "$name --version failed: $out"
    case "$out" in
        *"$name"*"$version"*) ;;
        *) fail "$name --version printed \"$out\", not its name and version $version" ;;
    esac
    out=$(run_without_display "$program" --help 2>&1) || fail "$name --help failed: $out"
    grep -qi "usage" <<<"$out" || fail "$name --help printed no usage: $out"
    if [ "$name" = merivane ]; then
        # Started without a display: one line that says so, and status 1 (not Qt's abort).
        local status=0
        out=$(run_without_display "$program" 2>&1) || status=$?
        [ "$status" = 1 ] || fail "$name without a display ended with status $status: $out"
        [ "$(wc -l <<<"$out")" = 1 ] && grep -q "no window can be shown" <<<"$out" ||
            fail "$name without a display printed: $out"
    fi
}

# FILE SIZE: a PNG picture of SIZE x SIZE pixels.
check_png_size() {
    local file=$1 size=$2 signature dims
    signature=$(od -An -tx1 -N8 "$file" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || fail "$file is not a PNG picture"
    # The IHDR chunk holds width and height as 32-bit big-endian numbers.
    dims=$(od -An -tu1 -j16 -N8 "$file" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$file is $dims pixels, not ${size}x${size}"
}

# FILE: a man page (gzip-compressed when it ends in .gz) that formats without warnings.
check_man_page() {
    local file=$1 text warnings
    if [[ $file == *.gz ]]; then
        gzip -t "$file" 2>/dev/null || fail "$file is not a valid gzip file"
        text=$(gzip -dc "$file")
    else
        text=$(cat "$file")
    fi
    grep -q '^\.TH ' <<<"$text" || fail "$file has no .TH header"
    if command -v groff >/dev/null; then
        warnings=$(groff -man -ww -z -Tutf8 <<<"$text" 2>&1)
        [ -z "$warnings" ] || fail "$file formats with warnings: $warnings"
    fi
}
