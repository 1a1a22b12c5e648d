#!/usr/bin/env bash
# Checks the one-way include rule of docs/architecture.md: each folder includes
# only its own headers and those of the layers below it, and nothing below the
# user interface includes Qt. Prints every include that breaks the rule.
set -uo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [support]="support"
  [link]="support link"
  [settings]="support link settings"
  [app]="support link settings app"
  [ops]="support link settings app ops"
  [ui]="support link settings app ops ui"
  [pages]="support link settings app ops ui pages"
  [cli]="support link settings app ops cli"
  [desktop]="support link settings app ops ui pages desktop sim"
  [sim]="support sim"
)
qt_free="support link settings app ops cli sim"
layers=" ${!allowed[*]} "

broken=0
for layer in "${!allowed[@]}"; do
  [ -d "$layer" ] || continue
  while IFS=: read -r file line text; do
    target=$(sed -E 's/^#include "([a-z]+)\/.*/\1/' <<<"$text")
    [[ $layers == *" $target "* ]] || continue  # a header beside the file, or a generated one
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "$file:$line: $layer may not include $target: $text"
      broken=1
    fi
  done < <(grep -HnE '^#include "[a-z]+/' "$layer"/*.h "$layer"/*.cpp 2>/dev/null)
done
for layer in $qt_free; do
  if hits=$(grep -HnE '^#include <Q' "$layer"/*.h "$layer"/*.cpp 2>/dev/null); then
    echo "$hits" | sed "s/\$/   ($layer stays free of Qt)/"
    broken=1
  fi
done
[ "$broken" = 0 ] && echo "includes: every layer includes only what lies below it"
exit "$broken"
