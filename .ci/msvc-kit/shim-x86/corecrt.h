/* x86: time_t is 64 bits in Microsoft's runtime unless _USE_32BIT_TIME_T is defined; wine's
   32-bit headers make it 32 bits. Declared first, and the switch taken back afterwards, so that
   <time.h> picks the 64-bit functions as Microsoft's does. */
#pragma once
#if !defined(_USE_32BIT_TIME_T) && !defined(_TIME_T_DEFINED)
typedef __int64 __time64_t;
#define _TIME64_T_DEFINED
typedef __time64_t time_t;
#define _TIME_T_DEFINED
#include_next <corecrt.h>
#undef _USE_32BIT_TIME_T
#else
#include_next <corecrt.h>
#endif
