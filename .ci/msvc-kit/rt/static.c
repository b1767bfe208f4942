/* Stand-ins for the static part of MSVC's runtime that a DLL built by Visual C++ links and that
   wine's DLLs do not export: thread-local storage (tlssup, tlsdyn), thread-safe statics and
   the STL's vectorized algorithms (msvcprt.lib), with rt/tables.cpp. Single-threaded: enough
   to link a DLL and load it, not to run its threads. */
#include <windows.h>
#include <limits.h>
#include <stdbool.h>
#include <stdint.h>

/* The TLS directory the linker points the image at (_tls_used), over the .tls sections. */
ULONG _tls_index = 0;
#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = 0;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = 0;
#pragma section(".rdata$T", long, read)
__declspec(allocate(".rdata$T")) const IMAGE_TLS_DIRECTORY64 _tls_used = {
    (ULONGLONG)&_tls_start, (ULONGLONG)&_tls_end, (ULONGLONG)&_tls_index, (ULONGLONG)(&__xl_a + 1), 0, 0};

/* thread_local objects with dynamic initialization: the compiler's initializers lie between
   .CRT$XDA and .CRT$XDZ, run once per thread on first use. */
typedef void(__cdecl* _PVFV)(void);
#pragma section(".CRT$XDA", long, read)
#pragma section(".CRT$XDZ", long, read)
__declspec(allocate(".CRT$XDA")) _PVFV __xd_a = 0;
__declspec(allocate(".CRT$XDZ")) _PVFV __xd_z = 0;
__declspec(thread) bool __tls_guard = false;
void __cdecl __dyn_tls_on_demand_init(void) {
  if (__tls_guard) return;
  __tls_guard = true;
  for (_PVFV* f = &__xd_a + 1; f < &__xd_z; ++f)
    if (*f) (*f)();
}
/* A thread's destructors of thread_local objects: not kept (they would run at thread exit). */
int __cdecl __tlregdtor(_PVFV f) { (void)f; return 0; }

/* Function-local statics: a guard of 0 is not initialized, -1 is being initialized, and an
   initialized one holds the epoch it was finished in. */
__declspec(thread) int _Init_thread_epoch = INT_MIN;
static int init_epoch = INT_MIN;
void __cdecl _Init_thread_header(int* once) {
  if (*once == 0) *once = -1;
  else _Init_thread_epoch = init_epoch;
}
void __cdecl _Init_thread_footer(int* once) {
  *once = ++init_epoch;
  _Init_thread_epoch = init_epoch;
}
void __cdecl _Init_thread_abort(int* once) { *once = 0; }

/* The STL's vectorized algorithms, as plain loops. */
const void* __stdcall __std_find_trivial_1(const void* first, const void* last, uint8_t value) {
  const uint8_t* p = first;
  while (p != (const uint8_t*)last && *p != value) ++p;
  return p;
}
const void* __stdcall __std_max_element_8(const void* first, const void* last, bool is_signed) {
  const uint64_t* p = first;
  const uint64_t* e = last;
  const uint64_t* best = p;
  for (; p != e; ++p)
    if (is_signed ? (int64_t)*p > (int64_t)*best : *p > *best) best = p;
  return best;
}
void __cdecl __std_reverse_trivially_swappable_1(void* first, void* last) {
  uint8_t* a = first;
  uint8_t* b = last;
  while (a < b && a < --b) {
    uint8_t t = *a;
    *a++ = *b;
    *b = t;
  }
}
