# Sourced by the Windows steps: wine with its own prefix under build-win/,
# quiet, the DLL folders "$@" and the MinGW runtime on its path, a Chinese
# locale for the ANSI code page 936, and one server and one set of wine's own
# background programs for the whole run, started here: started by a test, they
# would hold its output pipe open and the test would never end.
# processor=i686, set before the call, gives 32-bit Windows instead: wine32's
# loader and a 32-bit prefix under build-win32/, apart from the 64-bit one.
# shellcheck shell=sh
wine_env() {
  mingw=${processor:-x86_64}-w64-mingw32
  case $mingw in
    i686-*) wine=/usr/lib/wine/wine WINEARCH=win32 WINEPREFIX=$PWD/build-win32/wine ;;
    *) wine=/usr/lib/wine/wine64 WINEARCH=win64 WINEPREFIX=$PWD/build-win/wine ;;
  esac
  libgcc=$($mingw-g++-posix -print-libgcc-file-name)
  wine_start "$@" "$(dirname "$libgcc")" "/usr/$mingw/lib"
}

# wine_start DLL folders...: the rest of the above, for any build; the caller sets
# wine (the loader), WINEARCH and WINEPREFIX. Leaves fixed set to "setarch -R" where
# the system allows a fixed layout.
wine_start() {
  export WINEARCH WINEPREFIX WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
  WINEPATH=$(printf '%s;' "$@")
  export WINEPATH="${WINEPATH%;}"
  mkdir -p "$WINEPREFIX"
  # The 64-bit server serves 32-bit prefixes too.
  /usr/lib/wine/wineserver64 -p
  trap '/usr/lib/wine/wineserver64 -k || true' EXIT
  # A fixed address space layout where allowed, as cmake/mingw-w64.cmake gives the tests.
  fixed=; if setarch -R true 2>/dev/null; then fixed="setarch -R"; fi
  $fixed $wine wineboot --init >/dev/null 2>&1
}
