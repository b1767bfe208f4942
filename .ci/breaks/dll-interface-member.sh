# An exported class with a std::string member after the pragmas' pop in Encoder.h: .ci/dll-interface.sh must fail.
apply() {
  # shellcheck disable=SC2016 # the text is C++, not shell
  sed -i '/^namespace gpenc {$/i\
class GPENC_API CPlanted {\
    std::string m_text;\
};\
' include/gpenc/Encoder.h
  grep -q 'class GPENC_API CPlanted' include/gpenc/Encoder.h
}
check() { .ci/dll-interface.sh; }
