#!/bin/sh
# Runs the collection's tests in the given folder with the Python that has ansible-core
# (Debian's, whatever python3 comes first on PATH). Exits 77 (skipped) only when no
# Python here has both ansible-core and pytest.
for python in /usr/bin/python3 python3; do
  if "$python" -c 'import ansible, pytest' 2>/dev/null; then
    exec "$python" -m pytest -q -p no:cacheprovider "$@"
  fi
done
echo "ansible-core or python3-pytest is not installed: skipped"
exit 77
