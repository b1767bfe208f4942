# A bare disable(4251) before CException in Host.h, its push and pop removed (the warning stays off in the client's code): .ci/dll-interface.sh must fail.
apply() {
  # The first push/pop pair of Host.h is CException's.
  sed -i '0,/^#  pragma warning(push)$/{/^#  pragma warning(push)$/d}; 0,/^#  pragma warning(pop)$/{/^#  pragma warning(pop)$/d}' include/gpenc/Host.h
  [ "$(grep -c 'pragma warning(push)' include/gpenc/Host.h)" = 1 ]
  [ "$(grep -c 'pragma warning(disable : 4251)' include/gpenc/Host.h)" = 2 ]
}
check() { .ci/dll-interface.sh; }
