# The dissector counts 0x0076's channels without its video channel count: .ci/wireshark.sh's tshark cross-check must fail (the inspector reads the published channel list, the dissector warns of a bad length).
# The cross-check and the tool of the CI's build/ are used when they are
# there (the dissector is a script, read as it is); otherwise they are built here.
apply() {
  grep -q '    for i = 1, l.counts do entries = entries + raw:byte(i) end' wireshark/gpenc.lua
  sed -i 's|^    for i = 1, l.counts do entries = entries + raw:byte(i) end$|    for i = 1, l.counts - 1 do entries = entries + raw:byte(i) end|' \
    wireshark/gpenc.lua
  grep -q 'for i = 1, l.counts - 1 do' wireshark/gpenc.lua
}
check() {
  bin=$ROOT/build
  if [ ! -x "$bin/wireshark/tests/gpenc_wireshark_crosscheck" ] || [ ! -x "$bin/tools/gpenc/gpenc" ]; then
    bin=$PWD/build
    cmake -S . -B build -G Ninja -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
    cmake --build build -j2 --target gpenc_tool gpenc_wireshark gpenc_wireshark_crosscheck
  fi
  mkdir -p dissector
  cp wireshark/gpenc.lua "$bin/wireshark/gpenc_tables.lua" dissector/
  "$bin/wireshark/tests/gpenc_wireshark_crosscheck" "$(command -v tshark)" dissector/gpenc.lua "$bin/tools/gpenc/gpenc" \
    examples/requests fuzz/corpus/inspect crosscheck
}
