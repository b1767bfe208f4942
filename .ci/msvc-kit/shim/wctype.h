/* Wine's <wctype.h> with iswblank, which the Universal CRT's declares there (for <cwctype>) and
   wine's only in <corecrt_wctype.h>. */
#pragma once
#include_next <wctype.h>
#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP int __cdecl iswblank(wint_t);
#ifdef __cplusplus
}
#endif
