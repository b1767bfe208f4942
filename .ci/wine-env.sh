# Sourced by the Windows steps: wine with its own prefix under build-win/,
# quiet, the DLL folders "$@" and the MinGW runtime on its path, a Chinese
# locale for the ANSI code page 936, and one server and one set of wine's own
# background programs for the whole run, started here: started by a test, they
# would hold its output pipe open and the test would never end.
wine_env() {
  export WINEPREFIX="$PWD/build-win/wine" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
  libgcc=$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)
  WINEPATH=$(printf '%s;' "$@" "$(dirname "$libgcc")")
  export WINEPATH="$WINEPATH/usr/x86_64-w64-mingw32/lib"
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver64 -p
  trap '/usr/lib/wine/wineserver64 -k || true' EXIT
  # A fixed address space layout where allowed, as cmake/mingw-w64.cmake gives the tests.
  fixed=; if setarch -R true 2>/dev/null; then fixed="setarch -R"; fi
  $fixed /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
}
