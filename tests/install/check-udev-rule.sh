#!/usr/bin/env bash
# Checks the udev rule: `udevadm verify` where this udev has it (systemd 253
# and later), and always a syntax check of our own; then what the rule
# matches: the maker's own manufacturer string, exactly as udev compares it,
# and never the names of the makers of generic modems.
# Usage: check-udev-rule.sh RULE_FILE
set -euo pipefail
. "$(dirname "$0")/lib.sh"
rule=$1
[ -f "$rule" ] || fail "no rule file $rule"

if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
    udevadm verify --resolve-names=never "$rule" || fail "udevadm verify rejected $rule"
    echo "udevadm verify: passed"
else
    echo "udevadm verify is not available here; syntax checked by this script only"
fi

# --- Syntax: every line is blank, a comment, or comma-separated KEY op "value" pairs.

# Allowed operators per key (match keys compare, assignment keys assign).
declare -A operators=(
    [ACTION]='==|!=' [DEVPATH]='==|!=' [KERNEL]='==|!=' [KERNELS]='==|!='
    [SUBSYSTEM]='==|!=' [SUBSYSTEMS]='==|!=' [DRIVER]='==|!=' [DRIVERS]='==|!='
    [ATTRS]='==|!=' [TAGS]='==|!=' [CONST]='==|!=' [PROGRAM]='==|!=' [RESULT]='==|!='
    [TEST]='==|!=' [NAME]='==|!=|=|:=' [SYMLINK]='==|!=|=|+=|-=|:='
    [TAG]='==|!=|=|+=|-=|:=' [ENV]='==|!=|=|+=|-=|:=' [ATTR]='==|!=|=|:='
    [SYSCTL]='==|!=|=|:=' [IMPORT]='=|==|!=' [OWNER]='=|:=' [GROUP]='=|:=' [MODE]='=|:='
    [SECLABEL]='=|+=|:=' [RUN]='=|+=|-=|:=' [OPTIONS]='=|+=|:=' [LABEL]='=' [GOTO]='='
)
# Keys that name an attribute, variable or type in braces; TEST and RUN may.
braces_required=' ATTR ATTRS ENV CONST SYSCTL SECLABEL IMPORT '
braces_allowed=' TEST RUN '

pair_re='^[[:space:]]*([A-Z]+)(\{([^}]*)\})?[[:space:]]*(==|!=|\+=|-=|:=|=)[[:space:]]*"([^"]*)"[[:space:]]*(,?)(.*)$'

# Checks one rule line; notes where it jumps (jumps) and the labels it sets (labels)
# as "LINE NAME".
check_line() {
    local where=$1 rest=$2 key braced inner op value comma pairs=0
    [[ $rest == *\\ ]] && fail "$where: continued lines are not used here"
    while [[ -n ${rest//[[:space:]]/} ]]; do
        [[ $rest =~ $pair_re ]] || fail "$where: cannot read \"$rest\""
        key=${BASH_REMATCH[1]} braced=${BASH_REMATCH[2]} inner=${BASH_REMATCH[3]} op=${BASH_REMATCH[4]}
        value=${BASH_REMATCH[5]} comma=${BASH_REMATCH[6]} rest=${BASH_REMATCH[7]}
        [ -n "${operators[$key]:-}" ] || fail "$where: unknown key $key"
        [[ "|${operators[$key]}|" == *"|$op|"* ]] || fail "$where: $key does not take $op"
        if [ -n "$braced" ]; then
            [[ $braces_required$braces_allowed == *" $key "* ]] || fail "$where: $key takes no {}"
            [ -n "$inner" ] || fail "$where: empty {} after $key"
        else
            [[ $braces_required != *" $key "* ]] || fail "$where: $key needs {name}"
        fi
        if [ "$key" = GOTO ]; then jumps+=("$3 $value"); fi
        if [ "$key" = LABEL ]; then labels+=("$3 $value"); fi
        pairs=$((pairs + 1))
        if [ -z "$comma" ] && [[ -n ${rest//[[:space:]]/} ]]; then
            fail "$where: missing comma before \"$rest\""
        fi
        if [ -n "$comma" ] && [[ -z ${rest//[[:space:]]/} ]]; then
            fail "$where: trailing comma"
        fi
    done
    [ "$pairs" -gt 0 ] || fail "$where: empty rule"
}

# Checks a whole rule text; every GOTO must jump forward to a LABEL.
check_rules() {
    local name=$1 text=$2 number=0 line jump label found
    jumps=() labels=()
    while IFS= read -r line; do
        number=$((number + 1))
        [[ $line =~ ^[[:space:]]*(#.*)?$ ]] && continue
        check_line "$name:$number" "$line" "$number"
    done <<<"$text"
    for jump in "${jumps[@]}"; do
        found=0
        for label in "${labels[@]}"; do
            [ "${label#* }" = "${jump#* }" ] && [ "${label%% *}" -gt "${jump%% *}" ] && found=1
        done
        [ "$found" = 1 ] || fail "$name:${jump%% *}: GOTO \"${jump#* }\" has no LABEL after it"
    done
}

rules=$(cat "$rule")
check_rules "$rule" "$rules"
echo "syntax: passed"

# The documented way to add a device by vendor and product ID is itself a
# valid rule once its "# " is taken away, and leads where the maker's does.
example=$(grep -E '^# *SUBSYSTEMS==.*ATTRS\{idVendor\}==.*ATTRS\{idProduct\}==' "$rule") ||
    fail "no example line for adding a device by vendor and product ID"
[ "$(wc -l <<<"$example")" -eq 1 ] || fail "more than one example line"
enabled=$(sed -E 's/^# *//' <<<"$example")
maker_line=$(grep -E '^[^#]*ATTRS\{manufacturer\}==' "$rule") || fail "no rule on the manufacturer string"
[ "${enabled##*GOTO=}" = "${maker_line##*GOTO=}" ] ||
    fail "the example line does not lead where the maker's line does"
check_rules "$rule (example enabled)" "$(sed -E 's/^# *(SUBSYSTEMS==.*idVendor.*)$/\1/' "$rule")"
echo "example line: valid"

# --- What the rule does and matches.
active=$(grep -vE '^[[:space:]]*(#|$)' "$rule")
grep -qF 'ENV{ID_MM_DEVICE_IGNORE}="1"' <<<"$active" || fail "ModemManager is not told to ignore the devices"
grep -qE '^SUBSYSTEM=="tty",.*TAG\+="uaccess"' <<<"$active" || fail "the serial ports are not tagged uaccess"
if grep -qiE 'wavecom|sierra' <<<"$active"; then
    fail "a rule names a maker of generic modems: it would hide all their modems from ModemManager"
fi

# udev compares ATTRS values with fnmatch() over the whole string, case
# sensitive, with "|" separating alternatives; bash's [[ == ]] does the same.
pattern=$(sed -E 's/.*ATTRS\{manufacturer\}=="([^"]*)".*/\1/' <<<"$maker_line")
matches() {
    local alternative
    IFS='|' read -r -a alternatives <<<"$pattern"
    for alternative in "${alternatives[@]}"; do
        # shellcheck disable=SC2053 # the right side is a pattern on purpose
        [[ $1 == $alternative ]] && return 0
    done
    return 1
}
for maker in "Varik" "Varik Inc." "Varik, Inc." "Varik Systems GmbH"; do
    matches "$maker" || fail "the rule misses the maker's string \"$maker\""
done
# Other cases, longer words and other makers stay untouched; so do names
# that merely mention the maker further on.
for other in "VARIK" "varik" "Varikon" "Varikon Ltd" "Novarik" "The Varik Company" "" \
             "WAVECOM" "Sierra Wireless" "Sierra Wireless, Incorporated"; do
    if matches "$other"; then fail "the rule matches \"$other\""; fi
done
echo "udev rule: checked"
