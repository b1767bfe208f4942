# A package name cpack does not make, in the docs: the docs check's package names must fail.
apply() {
  sed -i 's/gpenc-1\.1\.0-win64\.zip/gpenc-1.1.0.zip/' docs/windows.md
}
check() {
  python3 .ci/docs.py --only packages --build "$ROOT/build"
}
