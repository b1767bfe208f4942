/* Stand-ins for the static part of MSVC's runtime that a program or DLL built by Visual C++ links
   and that wine's DLLs do not export: thread-local storage (tlssup, tlsdyn), thread-safe statics,
   std::call_once, std::system_error's messages and the STL's vectorized algorithms as loops
   (msvcprt.lib), with rt/tables.cpp. Each module linked with it gets its own copy, as with
   msvcrt.lib. Threads are real: the locks are kernel32's. */
#include <windows.h>
#include <limits.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdlib.h>

/* The TLS directory the linker points the image at (_tls_used), over the .tls sections, and its
   callbacks between .CRT$XLA and .CRT$XLZ. */
ULONG _tls_index = 0;
#pragma section(".tls", read, write)
#pragma section(".tls$ZZZ", read, write)
__declspec(allocate(".tls")) char _tls_start = 0;
__declspec(allocate(".tls$ZZZ")) char _tls_end = 0;
#pragma section(".CRT$XLA", long, read)
#pragma section(".CRT$XLD", long, read)
#pragma section(".CRT$XLZ", long, read)
__declspec(allocate(".CRT$XLA")) PIMAGE_TLS_CALLBACK __xl_a = 0;
__declspec(allocate(".CRT$XLZ")) PIMAGE_TLS_CALLBACK __xl_z = 0;
#pragma section(".rdata$T", long, read)
__declspec(allocate(".rdata$T")) const IMAGE_TLS_DIRECTORY64 _tls_used = {
    (ULONGLONG)&_tls_start, (ULONGLONG)&_tls_end, (ULONGLONG)&_tls_index, (ULONGLONG)(&__xl_a + 1), 0, 0};

/* thread_local objects with dynamic initialization: the compiler's initializers lie between
   .CRT$XDA and .CRT$XDZ, run once per thread on its first use of one (the guard is per thread). */
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
/* A thread's destructors of thread_local objects, run in reverse when it ends (the TLS callback
   below, as tlsdtor.cpp's): a list per thread, newest first. */
struct tls_dtor {
  _PVFV f;
  struct tls_dtor* next;
};
static __declspec(thread) struct tls_dtor* tls_dtors = 0;
int __cdecl __tlregdtor(_PVFV f) {
  struct tls_dtor* d = malloc(sizeof *d);
  if (!d) return -1;
  d->f = f;
  d->next = tls_dtors;
  tls_dtors = d;
  return 0;
}
static void NTAPI tls_dtor_callback(PVOID module, DWORD reason, PVOID reserved) {
  (void)module;
  (void)reserved;
  if (reason != DLL_THREAD_DETACH && reason != DLL_PROCESS_DETACH) return;
  while (tls_dtors) {
    struct tls_dtor* d = tls_dtors;
    tls_dtors = d->next;
    d->f();
    free(d);
  }
}
__declspec(allocate(".CRT$XLD")) PIMAGE_TLS_CALLBACK __xl_d = tls_dtor_callback;

/* Function-local statics (thread_safe_statics.cpp): a guard of 0 is not initialized, -1 is being
   initialized, and an initialized one holds the epoch it was finished in; a thread whose epoch
   is at least the guard's sees the object without the lock. A thread that finds the object
   being initialized waits for it on the condition variable. */
__declspec(thread) int _Init_thread_epoch = INT_MIN;
int _Init_global_epoch = INT_MIN;
static SRWLOCK init_lock = SRWLOCK_INIT;
static CONDITION_VARIABLE init_done = CONDITION_VARIABLE_INIT;
void __cdecl _Init_thread_header(int* once) {
  AcquireSRWLockExclusive(&init_lock);
  while (*once == -1) SleepConditionVariableSRW(&init_done, &init_lock, INFINITE, 0);
  if (*once == 0) *once = -1;
  else _Init_thread_epoch = _Init_global_epoch;
  ReleaseSRWLockExclusive(&init_lock);
}
void __cdecl _Init_thread_footer(int* once) {
  AcquireSRWLockExclusive(&init_lock);
  *once = ++_Init_global_epoch;
  _Init_thread_epoch = _Init_global_epoch;
  ReleaseSRWLockExclusive(&init_lock);
  WakeAllConditionVariable(&init_done);
}
void __cdecl _Init_thread_abort(int* once) {
  AcquireSRWLockExclusive(&init_lock);
  *once = 0;
  ReleaseSRWLockExclusive(&init_lock);
  WakeAllConditionVariable(&init_done);
}

/* std::call_once over kernel32's one-time initialization, as msvcprt.lib maps it. */
int __stdcall __std_init_once_begin_initialize_clr(void** once, unsigned long flags, int* pending, void** context) {
  return InitOnceBeginInitialize((LPINIT_ONCE)once, flags, pending, context);
}
int __stdcall __std_init_once_complete_clr(void** once, unsigned long flags, void* context) {
  return InitOnceComplete((LPINIT_ONCE)once, flags, context);
}
__declspec(noreturn) void __stdcall __std_init_once_link_alternate_names_and_abort(void) { abort(); }

/* std::system_category().message(): the system's text of an error, trailing blanks removed. */
size_t __stdcall __std_system_error_allocate_message(unsigned long id, char** text) {
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           0, id, 0, (LPSTR)text, 0, 0);
  while (n > 0 && ((*text)[n - 1] == ' ' || (*text)[n - 1] == '\n' || (*text)[n - 1] == '\r')) --n;
  if (n == 0 && *text) {
    LocalFree(*text);
    *text = 0;
  }
  return n;
}
void __stdcall __std_system_error_deallocate_message(char* text) { LocalFree(text); }

/* /GS's stack cookie (gs_cookie.c, gs_report.c): a fixed value, the one MSVC's runtime starts
   from; a function whose cookie no longer matches ends the process. */
uintptr_t __security_cookie = 0x00002B992DDFA232;
void __cdecl __security_check_cookie(uintptr_t cookie) {
  if (cookie != __security_cookie) __fastfail(2 /* FAST_FAIL_STACK_COOKIE_CHECK_FAILURE */);
}

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
#define KIT_REVERSE(n, type)                                                \
  void __cdecl __std_reverse_trivially_swappable_##n(void* first, void* last) { \
    type* a = first;                                                        \
    type* b = last;                                                         \
    while (a < b && a < --b) {                                              \
      type t = *a;                                                          \
      *a++ = *b;                                                            \
      *b = t;                                                               \
    }                                                                       \
  }
KIT_REVERSE(1, uint8_t)
KIT_REVERSE(2, uint16_t)
KIT_REVERSE(4, uint32_t)
KIT_REVERSE(8, uint64_t)
void __cdecl __std_swap_ranges_trivially_swappable_noalias(void* first1, void* last1, void* first2) {
  uint8_t* a = first1;
  uint8_t* b = first2;
  for (; a != (uint8_t*)last1; ++a, ++b) {
    uint8_t t = *a;
    *a = *b;
    *b = t;
  }
}
