# A vector's doubled capacity worked out in 64 bits and handed to reserve(): x86 narrows it into size_t (cl.exe's C4244), x64 does not; .ci/msvc.sh --x86 must fail.
apply() {
  line='        if (needed > out_.capacity()) out_.reserve(out_.empty() ? needed : (std::max)(needed, 2 * out_.capacity()));'
  grep -qxF "$line" src/core/Writer.h
  sed -i 's|^        if (needed > out_.capacity()) out_.reserve(out_.empty() ? needed : (std::max)(needed, 2 \* out_.capacity()));$|        if (needed > out_.capacity()) {\
            const std::uint64_t doubled = std::uint64_t{2} * out_.capacity();  // in 64 bits: no wrap\
            out_.reserve(out_.empty() \|\| needed > doubled ? needed : doubled);\
        }|' src/core/Writer.h
  grep -q 'out_.reserve(out_.empty() || needed > doubled ? needed : doubled);' src/core/Writer.h
}
check() {
  .ci/msvc.sh --x86
}
