# <afxdllx.h> in the host header: every gpenc source then defines the framework's raw entry point, and .ci/framework.sh's builds must stop at link.
apply() {
  sed -i 's|^#include <afxwin.h> .*|&\n#include <afxdllx.h>|' tests/framework/gpenc_host.h
  grep -q '^#include <afxdllx.h>' tests/framework/gpenc_host.h
}
check() {
  # The host and the library as .ci/framework.sh builds them (Route A), on the wide log4cplus built before.
  wide=$ROOT/build-deps/wide-undecorated
  cmake -S tests/framework -B b/host-build -DCMAKE_CXX_FLAGS="-DUNICODE -D_UNICODE" -DCMAKE_PREFIX_PATH="$wide" \
    -DCMAKE_INSTALL_PREFIX="$PWD/b/host"
  cmake --build b/host-build -j2
  cmake --install b/host-build
  cmake -S . -B b/gpenc -DCMAKE_CXX_FLAGS="-DUNICODE -D_UNICODE" -DCMAKE_PREFIX_PATH="$wide" \
    -DGPENC_HOST_HEADER="$PWD/b/host/include/gpenc_host.h" -DGPENC_HOST_LIBRARIES="$PWD/b/host/lib/libframework.so" \
    -DGPENC_BUILD_TESTS=OFF
  cmake --build b/gpenc -j2 --target gpenc
}
