# The package route takes log4cplus's width from the target's name again, so an undecorated wide log4cplus (vcpkg's log4cplus[unicode]) is taken as narrow; .ci/wide.sh's width check must fail.
# Reuses the wide log4cplus that .ci/wide.sh built into $ROOT/build-deps (read only).

# shellcheck disable=SC2016 # the patterns match CMake's ${...} literally
apply() {
  [ -f "$ROOT/build-deps/wide-undecorated/.done" ] || {
    echo "log4cplus-undecorated: run .ci/wide.sh first (no $ROOT/build-deps/wide-undecorated)" >&2
    return 1
  }
  grep -q '^ *gpenc_log4cplus_probe(LINK \${GPENC_LOG4CPLUS} ' cmake/Log4cplus.cmake || {
    echo "log4cplus-undecorated: no package probe in cmake/Log4cplus.cmake" >&2
    return 1
  }
  sed -i 's/^\( *\)gpenc_log4cplus_probe(LINK \${GPENC_LOG4CPLUS} .*/\1set(GPENC_LOG4CPLUS_WIDE OFF)\
\1if(GPENC_LOG4CPLUS STREQUAL "log4cplus::log4cplusU")\
\1  set(GPENC_LOG4CPLUS_WIDE ON)\
\1endif()/' cmake/Log4cplus.cmake
}

check() {
  cmake -S . -B build-width -DCMAKE_PREFIX_PATH="$ROOT/build-deps/wide-undecorated" \
    -DGPENC_BUILD_TESTS=OFF -DGPENC_BUILD_BENCHMARKS=OFF -DGPENC_BUILD_EXAMPLES=OFF >/dev/null &&
    .ci/log4cplus-width.sh build-width wide -llog4cplus
}
