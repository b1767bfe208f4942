# The framework exception's narrow message (TCHAR is char) widened byte by byte, as if each byte were a character: its UTF-8 reaches the record garbled, and .ci/framework.sh --mbcs must fail.
apply() {
  line='        return CallerText(message);  // TCHAR without UNICODE: the host'"'"'s narrow text'
  grep -qxF "$line" src/core/Log.cpp
  sed -i 's|^        return CallerText(message);  // TCHAR without UNICODE: .*$|        return WideToUtf8(std::wstring(message, message + std::char_traits<Char>::length(message)));|' src/core/Log.cpp
  grep -q 'return WideToUtf8(std::wstring(message, message + ' src/core/Log.cpp
}
check() {
  .ci/framework.sh --mbcs
}
