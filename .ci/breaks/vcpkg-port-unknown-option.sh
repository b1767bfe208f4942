# The port's feature extension-module gives a misspelt option (GPENC_EXTENSION_MODULES), which CMake does not know and so ignores; .ci/vcpkg-port.sh core must fail.
apply() {
  grep -q 'extension-module GPENC_EXTENSION_MODULE$' ports/gpenc/portfile.cmake
  sed -i 's/extension-module GPENC_EXTENSION_MODULE$/extension-module GPENC_EXTENSION_MODULES/' ports/gpenc/portfile.cmake
}
check() {
  # The kit's headers and import libraries of the real tree, when its step made them: read only.
  if [ -f "$ROOT/build-vcpkgport/kit/winlib/msvcrt.lib" ]; then
    MSVC_KIT_CACHE=$ROOT/build-vcpkgport/kit
    export MSVC_KIT_CACHE
  fi
  .ci/vcpkg-port.sh core
}
