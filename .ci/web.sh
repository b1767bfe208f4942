#!/bin/sh
# The inspector's web page: built with Debian's Emscripten, offline (its
# prebuilt library cache frozen, the build run without a network), installed,
# and tested from the installed folder in Debian's Chromium against the gpenc
# tool of build/ (the suite's build; built here if it is not there).
set -eu
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends emscripten chromium >/dev/null
cmake -S . -B build
cmake --build build -j2 --target gpenc_tool

# A library missing from the frozen cache fails the build instead of being
# built or fetched, and with no network nothing can be fetched at all.
export EM_FROZEN_CACHE=1
unshare --net sh -eu -c '
  emcmake cmake -S . -B build-web -DGPENC_BUILD_WEB=ON
  cmake --build build-web -j2
  cmake --install build-web --prefix "$PWD/build-web/installed"'
ls -l build-web/web/gpenc-inspect.js

npm ci --prefix web/tests --no-audit --no-fund
GPENC_TOOL=build/tools/gpenc/gpenc GPENC_WEB=build-web/installed/share/gpenc/web node --test web/tests/
