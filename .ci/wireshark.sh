#!/bin/sh
# CI: the Wireshark dissector. Installs tshark without the setuid capture helper
# (not needed to read files), then runs the cross-check of the dissector
# against the frame inspector through tshark and shows its figures.
set -eu
cd "$(dirname "$0")/.."

if ! command -v tshark >/dev/null; then
  echo "wireshark-common wireshark-common/install-setuid boolean false" | debconf-set-selections
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends tshark >/dev/null
fi
# Lua plugins run as root too in Debian's tshark (init.lua: run_user_scripts_when_superuser).
version=$(tshark --version)
printf '%s\n' "$version" | head -n 1

cmake -S . -B build
cmake --build build -j2 --target gpenc_tool gpenc_wireshark gpenc_wireshark_crosscheck
log=build/wireshark/tests/ctest.log
status=0
ctest --test-dir build --output-on-failure -V -R '^wireshark\.' >"$log" 2>&1 || status=$?
grep -E 'frames compared|FAIL|tests passed' "$log" || cat "$log"
exit "$status"
