/* Wine's <malloc.h> with what it lacks of the Universal CRT's and ucrtbase.dll exports:
   _get_heap_handle, which log4cplus's thread clean-up asks before it frees. */
#pragma once
#include_next <malloc.h>
#ifdef __cplusplus
extern "C" {
#endif
_ACRTIMP intptr_t __cdecl _get_heap_handle(void);
#ifdef __cplusplus
}
#endif
