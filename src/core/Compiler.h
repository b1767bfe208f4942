// What the library uses of its compiler beyond standard C++, each as a named
// feature that is 1 where the compiler has it. Built with GPENC_PORTABLE
// (CMake -DGPENC_PORTABLE=ON) every one is 0, so that GCC and clang run the
// paths Visual C++ compiles, which has none of them.
#pragma once

// Tested as `#if GPENC_HAVE(INT128)`: in a file that lacks this header the
// test does not compile, where a plain undefined name would read as 0.
#define GPENC_HAVE(feature) GPENC_HAVE_##feature

#if defined(GPENC_PORTABLE)
#  define GPENC_HAVE_INT128 0
#  define GPENC_HAVE_FLATTEN 0
#  define GPENC_HAVE_PRAGMA_GCC_UNROLL 0
#  define GPENC_HAVE_TLS_MODEL 0
#  define GPENC_HAVE_GCC_CONSTINIT 0
#else
// unsigned __int128
#  if defined(__SIZEOF_INT128__)
#    define GPENC_HAVE_INT128 1
#  else
#    define GPENC_HAVE_INT128 0
#  endif
// __attribute__((flatten))
#  if defined(__GNUC__)
#    define GPENC_HAVE_FLATTEN 1
#  else
#    define GPENC_HAVE_FLATTEN 0
#  endif
// #pragma GCC unroll, which clang warns of as unknown
#  if defined(__GNUC__) && !defined(__clang__)
#    define GPENC_HAVE_PRAGMA_GCC_UNROLL 1
#  else
#    define GPENC_HAVE_PRAGMA_GCC_UNROLL 0
#  endif
// __attribute__((tls_model(...))), which means something for ELF only
#  if defined(__ELF__)
#    define GPENC_HAVE_TLS_MODEL 1
#  else
#    define GPENC_HAVE_TLS_MODEL 0
#  endif
// GCC's __constinit, in C++17 too
#  if defined(__GNUC__) && !defined(__clang__)
#    define GPENC_HAVE_GCC_CONSTINIT 1
#  else
#    define GPENC_HAVE_GCC_CONSTINIT 0
#  endif
#endif
