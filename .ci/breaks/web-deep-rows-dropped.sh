# The web page stops its field tree at nine levels, dropping the fields of 0x0076's and 0x0077's channels: .ci/web.sh's browser test of structured parameter values must fail.
# The example requests reach eight levels at most, so only the structured
# frames show the break. The page of the CI's build-web/, the tool of its
# build/ and the test's node_modules are used when they are there (page.js is
# copied over the installed one); otherwise they are built and fetched here.
apply() {
  line='    (node.children || []).forEach(function (child) { walk(child, depth + 1, node); });'
  grep -qxF "$line" web/page.js
  sed -i 's#^    (node.children || \[\]).forEach(#    if (depth < 9) (node.children || []).forEach(#' \
    web/page.js
  grep -q 'if (depth < 9)' web/page.js
}
check() {
  page=$ROOT/build-web/installed/share/gpenc/web tool=$ROOT/build/tools/gpenc/gpenc
  if [ ! -f "$page/gpenc-inspect.js" ]; then
    EM_FROZEN_CACHE=1 emcmake cmake -S . -B build-web -DGPENC_BUILD_WEB=ON >/dev/null
    cmake --build build-web -j2
    cmake --install build-web --prefix "$PWD/build-web/installed"
    page=$PWD/build-web/installed/share/gpenc/web
  fi
  if [ ! -x "$tool" ]; then
    cmake -S . -B build -G Ninja -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null
    cmake --build build -j2 --target gpenc_tool
    tool=$PWD/build/tools/gpenc/gpenc
  fi
  if [ -d "$ROOT/web/tests/node_modules" ]; then
    cp -r "$ROOT/web/tests/node_modules" web/tests/
  else
    npm ci --prefix web/tests --no-audit --no-fund
  fi
  mkdir -p page
  cp "$page"/* page/
  cp web/page.js page/
  GPENC_TOOL=$tool GPENC_WEB=$PWD/page node --test --test-name-pattern 'structured' web/tests/
}
