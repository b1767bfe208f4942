#!/bin/sh
# The docs check: every marked command, snippet, name and figure of README.md
# and docs/ against the tree, the build in build/ (README command 2) and an
# install of it (.ci/docs.py; how to mark a block: docs/testing.md).
set -eu
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
xargs -a debian-packages.txt apt-get install -y -qq --no-install-recommends >/dev/null
apt-get install -y -qq --no-install-recommends python3 >/dev/null
cmake -S . -B build
cmake --build build -j2
python3 .ci/docs.py
