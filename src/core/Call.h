// The record of one public call, which the steps it runs share: its level
// answers, read by the logging layer (Log.h), and its reason (a caught fault
// among them) and renames, kept by the failure layer (Failure.h).
#pragma once

#include "core/Compiler.h"

#include <cstdint>
#include <string>

// Per-thread state that every step reads: trivial, so that a read costs no
// initialisation check, and (on ELF) in the initial-exec model, so that it is
// a load off the thread pointer rather than a call to __tls_get_addr, which
// cost about 740 instructions of a 2,600-instruction CommonData frame. The
// few bytes fit the static TLS that glibc keeps for libraries opened later
// with dlopen.
// GCC's __constinit says it needs no initialisation either, which spares each
// read a check for an initialisation function.
#if GPENC_HAVE(TLS_MODEL) && GPENC_HAVE(GCC_CONSTINIT)
#  define GPENC_THREAD_LOCAL __constinit thread_local __attribute__((tls_model("initial-exec")))
#elif GPENC_HAVE(TLS_MODEL)
#  define GPENC_THREAD_LOCAL thread_local __attribute__((tls_model("initial-exec")))
#else
#  define GPENC_THREAD_LOCAL thread_local
#endif

struct Jt808Head;       // gpenc/Encoder_Standard.h
struct Jt808ParmTypes;  // gpenc/Encoder_Standard.h

namespace gpenc::detail {

class Renamed;

struct alignas(8) Call {
    // The level answers, asked once when the call begins.
    static constexpr unsigned char kDebugOn = 2, kErrorOn = 4;
    unsigned char answers = 0;
    // The public member's name, which its last failure starts with; null for
    // a call that keeps no last failure (a constructor or destructor).
    const char* name = nullptr;
    // The call's first reason, "field: rule"; a caught framework exception
    // states "a framework exception caught in step: message".
    bool refused = false;  // `reason` holds it
    std::string reason;
    const Renamed* renames = nullptr;  // the innermost rename scope
    // The JT/T 808 head the call's messages take, the caller's argument; null
    // for the 2013 head. A public member the library calls inside the call
    // builds with it too.
    const Jt808Head* jt808 = nullptr;
    // The parameters the call opts into or declares; null for none.
    const Jt808ParmTypes* types = nullptr;

    explicit Call(const char* n) : name(n) {}
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
};

// The thread's open call, with its level answers in the pointer's low bits
// (the record is aligned to 8), so that a level test is one load. 0 while no
// call is open, and while a log record is being written: a call made from an
// appender opens a record of its own.
extern GPENC_THREAD_LOCAL std::uintptr_t t_call;
static_assert(alignof(Call) >= 8 && (Call::kDebugOn | Call::kErrorOn) < 8,
              "the answers fit below the record's address");

inline Call* OpenCall() { return reinterpret_cast<Call*>(t_call & ~std::uintptr_t{7}); }

}  // namespace gpenc::detail
