# Sourced by the Windows scripts: fetch_source PACKAGE unpacks a Debian source
# package under $DEPS/src and prints its folder. deb-src lines for the suites
# the machine already uses, with lists and caches of their own under
# $DEPS/apt: the machine's own stay as they are.
APT=$DEPS/apt
aptopts=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$APT/sources"
  -o Dir::State::Lists="$APT/lists" -o Dir::Cache="$APT/cache" -o APT::Sandbox::User=root)
fetch_source() {
  if [ ! -d "$APT/lists" ] || [ -z "$(ls "$APT/lists" 2>/dev/null | grep -v partial)" ]; then
    rm -rf "$APT" && mkdir -p "$APT/sources" "$APT/lists/partial" "$APT/cache/archives/partial"
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$APT/sources/$(basename "$f")"
    done
    if [ -f /etc/apt/sources.list ]; then
      sed -nE 's/^deb (.*)/deb-src \1/p' /etc/apt/sources.list >"$APT/sources/main.list"
    fi
    apt-get "${aptopts[@]}" update -qq >&2
  fi
  mkdir -p "$DEPS/src"
  (cd "$DEPS/src" && rm -rf "$1"-* "$1"_* && apt-get "${aptopts[@]}" source -qq "$1" >/dev/null)
  find "$DEPS/src" -maxdepth 1 -type d -name "$1-*" | head -n1
}
