# A vector's doubled capacity worked out in 64 bits and handed to reserve(): x86 narrows it into size_t (cl.exe's C4244), x64 does not; .ci/msvc.sh --x86 must fail.
apply() {
  line='    if (needed > out.capacity()) out.reserve(out.empty() ? needed : (std::max)(needed, 2 * out.capacity()));'
  grep -qxF "$line" src/core/Bytes.h
  sed -i 's|^    if (needed > out.capacity()) out.reserve(out.empty() ? needed : (std::max)(needed, 2 \* out.capacity()));$|    if (needed > out.capacity()) {\
        const std::uint64_t doubled = std::uint64_t{2} * out.capacity();  // in 64 bits: no wrap\
        out.reserve(out.empty() \|\| needed > doubled ? needed : doubled);\
    }|' src/core/Bytes.h
  grep -q 'out.reserve(out.empty() || needed > doubled ? needed : doubled);' src/core/Bytes.h
}
check() {
  .ci/msvc.sh --x86
}
