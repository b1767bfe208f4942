# The ERROR record of a 0x8103 list lost to a caught exception closes its name with ")" instead of the full-width one it had at 36c38f9: dev/diff/run.sh must fail.
# The suite passes with it: no table reads that record, which only a framework
# exception inside an entry of the list reaches.
apply() {
  grep -q '^inline constexpr char kFullWidthRunFailed\[\] = "\\xef\\xbc\\x89' src/core/Texts.h
  sed -i 's|^inline constexpr char kFullWidthRunFailed\[\] = "\\xef\\xbc\\x89|inline constexpr char kFullWidthRunFailed[] = ")|' \
    src/core/Texts.h
}
check() {
  GPENC_DIFF_REPO=$ROOT dev/diff/run.sh
}
