#!/bin/sh
# vcpkg.json, which CI cannot hand to vcpkg (no network to its registry): strict
# JSON as vcpkg reads it, then its content (.ci/vcpkg-manifest.cmake).
set -eu
cd "$(dirname "$0")/.."
if ! command -v python3 >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3 >/dev/null
fi
# CMake's JSON reader takes text after the document; vcpkg's does not.
python3 -c 'import json, sys; json.load(open(sys.argv[1]))' vcpkg.json
cmake -P .ci/vcpkg-manifest.cmake
