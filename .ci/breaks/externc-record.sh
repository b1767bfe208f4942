# A guarded step enters its record through an extern "C" function, which /EHsc lets Visual C++ take as never throwing, so the framework exception an appender throws skips the step's catch; .ci/msabi.sh (FaultTest, LogTest under Microsoft's ABI) must fail.
# GCC's ABI passes it: g++, for Linux and MinGW alike, assumes nothing of extern "C" functions
# (it has no /EHc), so the throw unwinds through this one into the step's catch as through any
# C++ function (FaultTest and LogTest pass with it, built by g++ on Linux). clang-cl's /EHsc is
# -fexternc-nounwind: the call is made as one that cannot throw, outside the try's handler.
apply() {
  grep -q '^        op\.Enter(line);$' src/core/Failure.h
  sed -i 's|^        op\.Enter(line);$|        gpenc_enter_record(\&op, line);|' src/core/Failure.h
  # shellcheck disable=SC2016 # the backquotes are the comment's, not a command
  sed -i '/^\/\/ Runs `body` inside the guarded region of `op`/i\
// A C entry point for the entry record.\
extern "C" void gpenc_enter_record(const Op* op, int line);\
' src/core/Failure.h
  printf '%s\n' 'extern "C" void gpenc_enter_record(const gpenc::detail::Op* op, int line) { op->Enter(line); }' \
    >>src/core/Failure.cpp
}
check() {
  MSABI_DEPS=$ROOT/build-deps/msvc MSABI_TARGETS=gpenc_tests .ci/msabi.sh -R '^(FaultTest|LogTest)\.'
}
