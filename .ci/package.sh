#!/bin/sh
# The Debian package as a user meets it: build it with CPack, install it with
# apt-get, run the installed `gpenc demo`, build and run the README's program
# against the installed package (CMake and pkg-config), then remove the
# package again. Run as root from the project root (CI does).
set -eu
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
# dpkg-shlibdeps (dpkg-dev) and file read the binaries' dependencies.
apt-get install -y -qq --no-install-recommends dpkg-dev file >/dev/null

cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_EXAMPLES=OFF \
  -DGPENC_BUILD_BENCHMARKS=OFF
cmake --build build-deb -j2
rm -f build-deb/gpenc_*.deb
(cd build-deb && cpack -G DEB)
dpkg-deb --info build-deb/gpenc_*.deb

trap 'apt-get purge -y -qq gpenc >/dev/null' EXIT
apt-get install -y -qq ./build-deb/gpenc_*.deb >/dev/null
# From a directory without the sources: the installed tool finds its installed requests.
demo=$PWD/build-deb/demo.txt
(cd /tmp && gpenc demo >"$demo")
tail -n 1 "$demo"
cmake -DREADME="$PWD/README.md" -DWORK_DIR="$PWD/build-deb/consumer" -P tests/consumer/run.cmake
echo "package: gpenc demo and the README's program work as installed"
