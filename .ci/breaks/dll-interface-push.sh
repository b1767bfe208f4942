# The pop after CEncoder_Standard removed: a push never popped, C4251 off in the client's code after the header. .ci/dll-interface.sh must fail.
apply() {
  sed -i '/^#  pragma warning(pop)$/d' include/gpenc/Encoder_Standard.h
  ! grep -q 'pragma warning(pop)' include/gpenc/Encoder_Standard.h
}
check() { .ci/dll-interface.sh; }
