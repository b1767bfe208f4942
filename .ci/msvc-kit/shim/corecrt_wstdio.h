/* Wine's <corecrt_wstdio.h> with _vswprintf_p, which the Universal CRT's defines over
   __stdio_common_vswprintf_p (log4cplus's wide formatting takes it when it is there). */
#pragma once
#include_next <corecrt_wstdio.h>
#ifdef __cplusplus
extern "C" {
#endif
static inline int __cdecl _vswprintf_p(wchar_t* buffer, size_t size, const wchar_t* format, va_list args) {
  return _vswprintf_p_l(buffer, size, format, NULL, args);
}
#ifdef __cplusplus
}
#endif
