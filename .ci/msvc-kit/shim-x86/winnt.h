/* x86: wine's winnt.h defines the 64-bit and pointer Interlocked* operations as inline functions
   under names that clang-cl treats as builtins on every x86 target; renamed away, the builtins serve. */
#pragma once
#define _InterlockedAnd64 __wine_shim_InterlockedAnd64
#define _InterlockedCompareExchangePointer __wine_shim_InterlockedCompareExchangePointer
#define _InterlockedExchangeAdd64 __wine_shim_InterlockedExchangeAdd64
#define _InterlockedExchangePointer __wine_shim_InterlockedExchangePointer
#define _InterlockedIncrement64 __wine_shim_InterlockedIncrement64
#define _InterlockedDecrement64 __wine_shim_InterlockedDecrement64
#define _InterlockedOr64 __wine_shim_InterlockedOr64
#define _InterlockedXor64 __wine_shim_InterlockedXor64
#include_next <winnt.h>
#undef _InterlockedAnd64
#undef _InterlockedCompareExchangePointer
#undef _InterlockedExchangeAdd64
#undef _InterlockedExchangePointer
#undef _InterlockedIncrement64
#undef _InterlockedDecrement64
#undef _InterlockedOr64
#undef _InterlockedXor64
