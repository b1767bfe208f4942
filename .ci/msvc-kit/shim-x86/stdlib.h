/* x86: wine declares div and ldiv as macros over calls of its own (its 32-bit runtime returns
   the struct in a register pair); Microsoft's declares the functions, which <cstdlib> brings
   into std. Wine's inner declarations are renamed away, its macros dropped. */
#pragma once
#define div __wine_shim_div
#define ldiv __wine_shim_ldiv
#include_next <stdlib.h>
#undef div
#undef ldiv
#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP div_t __cdecl div(int, int);
_ACRTIMP ldiv_t __cdecl ldiv(long, long);
#ifdef __cplusplus
}
#endif
