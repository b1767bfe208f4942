// Fuzz target: the input picks one builder of CEncoder or one operation of
// CEncoder_Standard and draws its arguments. Whatever they hold, the call must
// give a defined result: on success a whole frame or message (read back by the
// inspector), on failure the caller's vector as it was and an ERROR record.
#include "FuzzInput.h"

#include "gpenc/Encoder.h"
#include "gpenc/Host.h"
#include "gpenc/Inspect.h"

#include <log4cplus/initializer.h>
#include <log4cplus/nullappender.h>
#include <log4cplus/spi/loggingevent.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <variant>

using gpenc::fuzz::Input;
using gpenc::fuzz::Require;
using Bytes = std::vector<unsigned char>;

// JT/T 1078's parameters (0x0078 unknown), the active-safety ones, a vendor's,
// and a few of JT/T 808's of each type; any other id as 32 bits.
template <>
struct gpenc::fuzz::Worth<EequipParameterMark> {
    static constexpr std::array<std::uint32_t, 18> values{0x0001, 0x0013, 0x0031, 0x0032, 0x0084, 0x0110,
                                                          0x0075, 0x0076, 0x0077, 0x0078, 0x0079, 0x007A,
                                                          0x007B, 0x007C, 0xF364, 0xF365, 0xF366, 0xF367};
};

namespace {

constexpr unsigned char kMark = 0x99;  // the caller's byte in `out`
int errors = 0;                        // the ERROR records of the call

// Counts the ERROR records and keeps none. The logger runs at DEBUG, so every
// record is composed as in a host that logs everything.
const bool kLogging = [] {
    static log4cplus::Initializer logging;
    log4cplus::SharedAppenderPtr counter(new log4cplus::NullAppender);
    counter->addFilter([](const log4cplus::spi::InternalLoggingEvent& event) {
        errors += event.getLogLevel() >= log4cplus::ERROR_LOG_LEVEL;
        return log4cplus::spi::ACCEPT;
    });
    NSLog::CLog::_logger.addAppender(counter);
    NSLog::CLog::_logger.setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
    return true;
}();

enum Output { kFrame, kMessage, kOther };  // what a success leaves in `out`: by CEncoder, by CEncoder_Standard

struct Outcome {
    bool ok;
    Output output;
    bool quiet = false, own = false;  // see Judge()
    bool head2019 = false;            // asked for the 2019 head: the message must read back with it
};

// A JT/T 808 head as drawn: mostly the 2019 head with a drawn version byte (0
// is refused), now and then the 2013 head or an edition that is none.
struct DrawnHead {
    unsigned char pick, version;
    operator Jt808Head() const {
        const int edition = pick % 8 == 0 ? 2013 : pick % 8 == 1 ? 2000 + pick : 2019;
        return Jt808Head{edition, version};
    }
};

// What an argument is drawn as: a pointer's record (null is the unit tests' to try), nothing for a reference.
template <class A>
struct HeldOf {
    using type = std::conditional_t<std::is_reference_v<A>, std::monostate, std::remove_pointer_t<A>>;
};
template <>
struct HeldOf<Jt808Head> {
    using type = DrawnHead;
};
template <class A>
using Held = typename HeldOf<A>::type;

// How it is passed: a reference is the caller's vector, or its byte.
template <class A, class H>
decltype(auto) Pass(H& held, Bytes& out) {
    if constexpr (std::is_pointer_v<A>)
        return &held;
    else if constexpr (std::is_same_v<A, Bytes&>)
        return (out);
    else if constexpr (std::is_reference_v<A>)
        return (out[0]);
    else
        return H(held);
}

// Refusals that may come without an ERROR record (Xor, EquipSet with nothing to send), and command-0x33 frames
// whose key 2 is all the library's own, so that it must read back whole.
// A trailing head only marks a row built with the 2019 head.
template <class... T>
void Judge(Outcome&, const T&...) {}
void Judge(Outcome& r, const Bytes&, int, int, std::monostate) { r.quiet = true; }
template <class... H>
void Judge(Outcome& r, const sEquipset& e, std::monostate, const H&...) {
    r.quiet = e.nSetParm != 1 && e.nSetParm != 0x13 && e.strMsgHex.empty();
    r.own = e.strMsgHex.empty() && e.msgId == 0x8103;  // key 1 is the caller's message id as it stands
}
template <class... H>
void Judge(Outcome& r, const std::vector<sEquipset>&, std::monostate, const H&...) {
    r.own = true;
}
template <class... H>
void Judge(Outcome& r, const sEquipControl_SetIC&, std::monostate, const H&...) {
    r.own = true;
}
void Judge(Outcome& r, const sEquip_AlarmSet& a, std::monostate) { r.own = a.strMsgText.empty(); }

using Op = std::function<Outcome(Input&, Bytes&)>;

// A builder called with drawn arguments, which Judge() sees first.
template <class C, class... A>
Op Row(bool (C::*build)(A...)) {
    return [=](Input& in, Bytes& out) {
        std::tuple<Held<A>...> args{in.Draw<Held<A>>()...};  // a braced list is drawn left to right
        constexpr bool writes = (std::is_same_v<A, Bytes&> || ...);
        Outcome r{false, !writes ? kOther : std::is_same_v<C, CEncoder> ? kFrame : kMessage};
        std::apply([&](const auto&... a) { Judge(r, a...); }, args);
        // A head, last or before the parameter types.
        constexpr std::size_t kHead = sizeof...(A) - 1 - (std::is_same_v<A, Jt808ParmTypes> || ...);
        if constexpr (std::is_same_v<std::tuple_element_t<kHead, std::tuple<A...>>, Jt808Head>)
            r.head2019 = static_cast<Jt808Head>(std::get<kHead>(args)).edition == 2019;
        r.ok = std::apply([&](auto&... a) { return (C().*build)(Pass<A>(a, out)...); }, args);
        return r;
    };
}
Op Row(Op op) { return op; }
template <class... R>
std::vector<Op> Rows(R... rows) {
    return {Row(rows)...};
}

// An 808 message reads back whole, in the edition asked for, warned of nothing but the caller's phone number,
// parameter ids and types.
bool Whole(const gpenc::inspect::Decoded<gpenc::inspect::Jt808Message>& m, bool head2019) {
    return m.ok() && (m.value.head.Edition() == 2019) == head2019 &&
           std::all_of(m.value.warnings.begin(), m.value.warnings.end(), [](const auto& w) {
               return w.what == "phone number not BCD" || w.what == "unknown parameter" ||
                      w.what == "bad parameter length" || w.what == "empty text";
           });
}

// What an 808-tunnelled setting sends reads back: a setting text, or a message that sets some parameter.
bool ReadsBack(const gpenc::inspect::Tunnel& t, bool head2019) {
    if (t.circular || !t.jt808) return t.circular && t.circular->ok();
    const auto& setting = t.jt808->value.paramSetting;
    return !t.hexError && Whole(*t.jt808, head2019) && (!setting || setting->count.value > 0);
}

Outcome Circular(Input& in, Bytes& out) {
    std::string text(out.begin(), out.end());  // the setting follows the caller's byte
    const bool ok = CEncoder_Standard().ParmSet_Get808AlarmSetData_Circular(in.Draw<MsgData_AlarmSet_Circular>(), text);
    out.assign(text.begin(), text.end());
    return {ok, kOther};
}

using E = CEncoder;
using S = CEncoder_Standard;

const std::vector<Op> kOps =
    Rows(&E::CommonData, &E::UserLogin, &E::Cmd_sCommitInterval, &E::Cmd_SoundSowing, &E::Cmd_sListening,
         &E::Cmd_sSimSet, &E::Cmd_sBlackout, &E::Cmd_sVideo, &E::Cmd_AlarmHandle, &E::Cmd_sTimeInterval,
         &E::Cmd_sPreset, &E::Cmd_EquipSetQuery, &E::Cmd_EquipPositionInfoQuery, &E::Cmd_AffirmAlarmInform,
         &E::Cmd_EquipTempPositionTrack, &E::Cmd_EquipControl, Row<E, int, std::string, Bytes&>(&E::Subscription),
         Row<E, int, Bytes&>(&E::Subscription), &E::Realtime, &E::Photograph, &E::TrackPlayback,
         Row<E, sEquipset*, Bytes&>(&E::EquipSet), Row<E, std::vector<sEquipset>, Bytes&>(&E::EquipSet),
         Row<E, sEquipControl_SetIC, Bytes&>(&E::EquipSet_ICInfoSet), &E::EquipAlarmSet,
         &E::SetEquipSet_ICInfoSetParameterData, Row<S, EquipParmSet_EquipConfig, Bytes&>(&S::ParmSet_GetHeadInterval),
         Row<S, std::vector<EquipParmSet_EquipConfig>, Bytes&>(&S::ParmSet_GetMainSericeIP),
         Row<S, std::vector<EquipParmSet_EquipConfig>, Bytes&>(&S::ParmSet_Get808ParmSetVector),
         Row<S, struct_EquipControl_SetIC, Bytes&>(&S::ParmSet_ICInfoSetStandard),
         Row<S, struct_EquipControl_SetIC, Bytes&>(&S::ParmSet_ICInfoSetExtension), &S::ParmSet_SetICInfoSetStandard,
         &S::ParmSet_SetICInfoSetExtension, &S::Xor, Circular,
         // The same builders given a head.
         Row<E, sEquipset*, Bytes&, Jt808Head>(&E::EquipSet),
         Row<E, std::vector<sEquipset>, Bytes&, Jt808Head>(&E::EquipSet),
         Row<E, sEquipControl_SetIC, Bytes&, Jt808Head>(&E::EquipSet_ICInfoSet),
         Row<S, EquipParmSet_EquipConfig, Bytes&, Jt808Head>(&S::ParmSet_GetHeadInterval),
         Row<S, std::vector<EquipParmSet_EquipConfig>, Bytes&, Jt808Head>(&S::ParmSet_GetMainSericeIP),
         Row<S, std::vector<EquipParmSet_EquipConfig>, Bytes&, Jt808Head>(&S::ParmSet_Get808ParmSetVector),
         Row<S, struct_EquipControl_SetIC, Bytes&, Jt808Head>(&S::ParmSet_ICInfoSetStandard),
         Row<S, struct_EquipControl_SetIC, Bytes&, Jt808Head>(&S::ParmSet_ICInfoSetExtension),
         // The 0x8103 lists with the parameters they opt into or declare.
         Row<E, std::vector<sEquipset>, Bytes&, Jt808Head, Jt808ParmTypes>(&E::EquipSet),
         Row<S, std::vector<EquipParmSet_EquipConfig>, Bytes&, Jt808Head, Jt808ParmTypes>(
             &S::ParmSet_Get808ParmSetVector));

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    Bytes out = {kMark};
    errors = 0;
    const Outcome r = kOps[in.Byte() % kOps.size()](in, out);
    if (!r.ok) {
        Require(out == Bytes{kMark}, "a refusal changed the caller's bytes");
        Require(errors > 0 || r.quiet, "a refusal without an ERROR record");
    } else if (r.output == kMessage) {
        Require(Whole(gpenc::inspect::DecodeJt808(out.data(), out.size()), r.head2019),
                "an 808 message the inspector cannot read");
    } else if (r.output == kFrame) {
        Require(out.size() >= 31 && out[0] == kMark, "the frame did not go after the caller's byte");
        out.erase(out.begin());
        const auto dump = gpenc::inspect::DecodeFrames(out);
        Require(!dump.error && dump.frames.size() == 1 && dump.frames[0].size == out.size(),
                "a frame the inspector cannot read");
        Require(!r.own || ReadsBack(*dump.frames[0].tunnel, r.head2019),
                "a tunnelled setting the inspector cannot read back");
    }
    return 0;
}
