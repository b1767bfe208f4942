// CEncoder_Standard: the terminal parameter setting (0x8103) with its
// parameter-type table.
#include "gpenc/Encoder_Standard.h"

#include "core/Failure.h"
#include "core/Log.h"
#include "core/Wire.h"
#include "core/Writer.h"
#include "jt808/StandardParts.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

using gpenc::detail::Bytes;
using gpenc::detail::Check;
using gpenc::detail::Logged;
using gpenc::detail::Op;
using namespace gpenc::detail::standard;

namespace {

bool Finished(const Bytes&) { return true; }

// The terminal parameter table of JT/T 808: each id range and its value type.
// Ids outside every range have no type.
struct TypeRange {
    std::uint32_t first;
    std::uint32_t last;
    EequipParmDataType type;
};

constexpr TypeRange kParmTypes[] = {
    {0x0001, 0x0007, DATATYPE_DWORD},   // heartbeat, TCP/UDP/SMS time-outs and retries
    {0x0010, 0x0017, DATATYPE_STRING},  // main and backup server APN, user, password, address
    {0x0018, 0x0019, DATATYPE_DWORD},   // server TCP and UDP port
    {0x001A, 0x001A, DATATYPE_STRING},  // IC-card authentication main server
    {0x001B, 0x001C, DATATYPE_DWORD},   // its TCP and UDP port
    {0x001D, 0x001D, DATATYPE_STRING},  // IC-card authentication backup server
    {0x0020, 0x0022, DATATYPE_DWORD},   // report strategy, scheme, interval without driver
    {0x0027, 0x0029, DATATYPE_DWORD},   // report intervals: sleeping, emergency, default
    {0x002C, 0x0030, DATATYPE_DWORD},   // report distances, turn angle
    {0x0031, 0x0031, DATATYPE_WORD},    // electronic fence radius
    {0x0040, 0x0044, DATATYPE_STRING},  // platform phone numbers
    {0x0045, 0x0047, DATATYPE_DWORD},   // call answering strategy and limits
    {0x0048, 0x0049, DATATYPE_STRING},  // monitoring and privileged SMS numbers
    {0x0050, 0x005A, DATATYPE_DWORD},   // alarm masks and switches, speed and driving limits
    {0x005B, 0x005E, DATATYPE_WORD},    // warning differences, collision and roll-over
    {0x0064, 0x0065, DATATYPE_DWORD},   // timed and distance photograph control
    {0x0070, 0x0074, DATATYPE_DWORD},   // image quality, brightness, contrast, saturation, chroma
    // JT/T 1078's video terminal parameters, under either head (kLayouts).
    // D33: known under either head, as video terminals take them; 0x0078 stays unknown (docs/compat.md).
    {0x0075, 0x0077, DATATYPE_BYTES},   // audio/video parameters, channel list, per-channel video parameters
    {0x0079, 0x0079, DATATYPE_BYTES},   // special alarm recording parameters
    {0x007A, 0x007A, DATATYPE_DWORD},   // video-related alarm mask
    {0x007B, 0x007C, DATATYPE_BYTES},   // image analysis alarm parameters, sleep wake-up mode
    {0x0080, 0x0080, DATATYPE_DWORD},   // odometer
    {0x0081, 0x0082, DATATYPE_WORD},    // province and city id
    {0x0083, 0x0083, DATATYPE_STRING},  // licence plate
    {0x0084, 0x0084, DATATYPE_BYTE},    // plate colour
    {0x0090, 0x0092, DATATYPE_BYTE},    // GNSS mode, baud rate, output frequency
    {0x0093, 0x0093, DATATYPE_DWORD},   // GNSS sampling frequency
    {0x0094, 0x0094, DATATYPE_BYTE},    // GNSS upload mode
    {0x0095, 0x0095, DATATYPE_DWORD},   // GNSS upload setting
    {0x0100, 0x0100, DATATYPE_DWORD},   // CAN channel 1 collection interval
    {0x0101, 0x0101, DATATYPE_WORD},    // CAN channel 1 upload interval
    {0x0102, 0x0102, DATATYPE_DWORD},   // CAN channel 2 collection interval
    {0x0103, 0x0103, DATATYPE_WORD},    // CAN channel 2 upload interval
    {0x0110, 0x01FF, DATATYPE_BYTES},   // CAN bus id collection settings
};

// What the 2019 edition adds (JT/T 808-2019, the terminal parameter table of
// 0x8103); every other id keeps its 2013 type. Taken where SmallChi/JT808 and
// yezhihao/jt808-server agree (docs/wire-format.md).
// D32: known under the 2019 head only; the 2013 table stays as it was (docs/compat.md).
constexpr TypeRange kParmTypes2019[] = {
    {0x0023, 0x0026, DATATYPE_STRING},  // secondary server APN, user, password, backup address
    {0x0032, 0x0032, DATATYPE_BYTES},   // illegal driving period: start HH MM, end HH MM (BYTE[4])
};

// kParmTypes spread over every id it covers, so that a lookup is one index
// (a scan of the ranges cost about 100 instructions an entry); with
// `with2019`, kParmTypes2019 too.
constexpr std::uint32_t kTypedIds = 0x200;  // every range ends below it
struct TypeIndex {
    EequipParmDataType types[kTypedIds] = {};
    explicit constexpr TypeIndex(bool with2019) {
        for (const TypeRange& r : kParmTypes)
            for (std::uint32_t id = r.first; id <= r.last; ++id) types[id] = r.type;
        if (!with2019) return;
        for (const TypeRange& r : kParmTypes2019)
            for (std::uint32_t id = r.first; id <= r.last; ++id) types[id] = r.type;
    }
};
constexpr TypeIndex kTypeIndex(false);
constexpr TypeIndex kTypeIndex2019(true);
static_assert(kParmTypes[std::size(kParmTypes) - 1].last < kTypedIds, "the index covers every range");
static_assert(kTypeIndex.types[0x0023] == DATATYPE_NONE && kTypeIndex.types[0x0026] == DATATYPE_NONE &&
                  kTypeIndex.types[0x0032] == DATATYPE_NONE,
              "the 2019 edition adds ids the 2013 table leaves untyped");

// The structured parameters, each a BYTE[n]: `size` bytes, or a head of
// `size` bytes whose first `counted` bytes add up to the number of `entry`-byte
// entries after it. JT/T 1078-2016's (tables 2 to 9), and the active-safety
// ones of T/JSATL12-2017, which a call opts into (docs/wire-format.md).
struct Layout {
    std::uint32_t id;
    unsigned size;
    unsigned counted;
    unsigned entry;
    const char* name;
};
constexpr Layout kLayouts[] = {
    {0x0075, 21, 0, 0, "audio/video parameters"},         {0x0076, 3, 3, 4, "audio/video channel list"},
    {0x0077, 1, 1, 21, "per-channel video parameters"},   {0x0079, 3, 0, 0, "special alarm recording parameters"},
    {0x007B, 2, 0, 0, "image analysis alarm parameters"}, {0x007C, 20, 0, 0, "terminal sleep wake-up mode"},
};
constexpr Layout kActiveSafety[] = {
    {0xF364, 56, 0, 0, "ADAS parameters"},
    {0xF365, 47, 0, 0, "driver status monitoring parameters"},
    {0xF366, 36, 0, 0, "tyre pressure monitoring parameters"},
    {0xF367, 2, 0, 0, "blind spot monitoring parameters"},
};

// The callers pass over the entries HasLayout rules out without a look.
constexpr bool AllInRange() {
    for (const Layout& l : kLayouts)
        if (!StandardSteps::HasLayout(l.id)) return false;
    return true;
}
static_assert(AllInRange(), "HasLayout covers every id of kLayouts");

template <std::size_t N>
const Layout* Find(const Layout (&table)[N], std::uint32_t id) {
    for (const Layout& l : table)
        if (l.id == id) return &l;
    return nullptr;
}

// The layout of parameter `id` for a call that knows `types` (null: none).
const Layout* LayoutOf(std::uint32_t id, const Jt808ParmTypes* types) {
    if (const Layout* l = Find(kLayouts, id)) return l;
    return types != nullptr && types->activeSafety ? Find(kActiveSafety, id) : nullptr;
}

std::string IdText(std::uint32_t id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned int>(id));
    return text;
}

}  // namespace

EequipParmDataType StandardSteps::ParmType(std::uint32_t id, bool with2019, const Jt808ParmTypes* types) {
    if (id < kTypedIds) {
        const EequipParmDataType type = with2019 ? kTypeIndex2019.types[id] : kTypeIndex.types[id];
        if (type != DATATYPE_NONE || types == nullptr) return type;
    }
    if (types == nullptr) return DATATYPE_NONE;
    if (types->activeSafety && Find(kActiveSafety, id) != nullptr) return DATATYPE_BYTES;
    for (const Jt808ParmDeclaration& d : types->declared)
        if (d.id == id) return d.type;
    return DATATYPE_NONE;
}

bool StandardSteps::Fits(const Value& value, const char* record, std::size_t index) {
    Check check(record, static_cast<int>(index));
    const Jt808ParmTypes* types = TypesOfCall();
    const bool text = value.type == DATATYPE_STRING;
    const std::size_t size = text ? value.text.size() : value.bytes->size();
    const char* field = text ? "strValue" : "vecValueBytes";
    // D33: a structured value that does not fit its layout fails the list, rather than reach the terminal
    // (docs/compat.md).
    if (const Layout* l = LayoutOf(value.id, types)) {
        // "must be <rule> for 0x0075 (audio/video parameters), got <got>", composed only on a refusal.
        auto rule = [&](const std::string& must, std::size_t got) {
            return "must be " + must + " for " + IdText(l->id) + " (" + l->name + "), got " + std::to_string(got);
        };
        if (!check.That(value.type == DATATYPE_BYTES, "eDataType", [&] { return rule("8 (BYTE[n])", value.type); }))
            return false;
        if (l->counted == 0)
            return check.That(size == l->size, field, [&] { return rule(std::to_string(l->size) + " bytes", size); });
        if (!check.That(size >= l->size, field,
                        [&] { return rule("at least " + std::to_string(l->size) + " bytes", size); }))
            return false;
        std::size_t entries = 0;
        for (unsigned i = 0; i < l->counted; ++i) entries += (*value.bytes)[i];
        const std::size_t want = l->size + entries * l->entry;
        return check.That(size == want, field, [&] {
            return rule(std::to_string(want) + " bytes", size) + ": " + std::to_string(l->size) + " + " +
                   std::to_string(l->entry) + " x " + std::to_string(entries) + ", the entries its first " +
                   (l->counted == 1 ? std::string("byte counts") : std::to_string(l->counted) + " bytes count");
        });
    }
    if (types == nullptr || (!text && value.type != DATATYPE_BYTES)) return true;
    for (const Jt808ParmDeclaration& d : types->declared)
        if (d.id == value.id)
            return check.That(size <= d.maxLength, field, [&] {
                return "must be at most " + std::to_string(d.maxLength) + " bytes as declared for " + IdText(d.id) +
                       ", got " + std::to_string(size);
            });
    return true;
}

bool gpenc::detail::standard::CallTypesValid() {
    const Jt808ParmTypes* types = TypesOfCall();
    if (types == nullptr) return true;
    // What a declaration may not name: the ids the call knows without it.
    Jt808ParmTypes known;
    known.activeSafety = types->activeSafety;
    const bool with2019 = Is2019(HeadOfCall());
    const std::vector<Jt808ParmDeclaration>& declared = types->declared;
    for (std::size_t i = 0; i < declared.size(); ++i) {
        const Jt808ParmDeclaration& d = declared[i];
        Check check("types.declared", static_cast<int>(i));
        const EequipParmDataType type = d.type;
        const bool typed = type == DATATYPE_STRING || type == DATATYPE_WORD || type == DATATYPE_DWORD ||
                           type == DATATYPE_BYTES || type == DATATYPE_BYTE;
        if (!check.That(typed, "type", [&] { return "must be 1, 2, 3, 8 or 9, got " + std::to_string(type); })
                 .Within(1, 255, d.maxLength, "maxLength")
                 .That(StandardSteps::ParmType(d.id, with2019, &known) == DATATYPE_NONE, "id", [&] {
                     return IdText(d.id) + (Find(kActiveSafety, d.id) != nullptr
                                                ? " is an active-safety parameter opted into"
                                                : " is a parameter the encoder knows");
                 }))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (!check.That(declared[j].id != d.id, "id", [&] {
                    return IdText(d.id) + " is declared twice, first as types.declared[" + std::to_string(j) + "]";
                }))
                return false;
    }
    return true;
}

EequipParmDataType CEncoder_Standard::ParmSet_Get808ParmType(EequipParameterMark mark) {
    const std::uint32_t id = mark;
    return id < kTypedIds ? kTypeIndex.types[id] : DATATYPE_NONE;
}

EequipParmDataType CEncoder_Standard::ParmSet_Get808ParmType(EequipParameterMark mark, Jt808Head head) {
    return StandardSteps::ParmType(mark, Is2019(head));
}

EequipParmDataType CEncoder_Standard::ParmSet_Get808ParmType(EequipParameterMark mark, Jt808Head head,
                                                             const Jt808ParmTypes& types) {
    return StandardSteps::ParmType(mark, Is2019(head), &types);
}

Value Value::Of(const EquipParmSet_EquipConfig& record, bool stringAndDwordOnly) {
    const EequipParmDataType type = record.eDataType;
    switch (type) {
    case DATATYPE_STRING: return Value(type, record.eParmMark, 0, record.strValue);
    case DATATYPE_DWORD: return Value(type, record.eParmMark, record.dwValue);
    case DATATYPE_WORD:
    case DATATYPE_BYTE:
        // Q35: the main-server builder carries only STRING and DWORD values (docs/compat.md).
        return Value(type, record.eParmMark, stringAndDwordOnly ? 0 : record.dwValue);
    case DATATYPE_BYTES:
        return Value(type, record.eParmMark, 0, {}, stringAndDwordOnly ? &kNoBytes : &record.vecValueBytes);
    default: return Value(type, record.eParmMark);
    }
}

// The exported steps, each over the library's own in StandardParts.h.
bool CEncoder_Standard::SetOnceParameterData(MsgData_EquipParmSet_ParmListConfig value) {
    return Logged([&](auto& log) {
        return StandardSteps::AppendEntry(log, *this, Value::Of(value, static_cast<unsigned char>(value.dwValue)));
    });
}

// An exported step that no builder calls: the entry step, its bytes as given.
bool CEncoder_Standard::SetMsgData_EquipParmSet(MsgData_EquipParmSet_ParmList entry) {
    return Logged([&](auto& log) { return StandardSteps::AppendEntry(log, *this, Value::Of(entry)); });
}

bool CEncoder_Standard::ParmSet_Set808ParmInfo(std::vector<EquipParmSet_EquipConfig> list) {
    return Logged([&](auto& log) {
        return StandardSteps::Set808ParmInfo(log, *this, list.size(),
                                             [&](std::size_t i) { return Value::Of(list[i]); });
    });
}

namespace {

// ParmSet_SetMainSericeIP: the list's STRING and DWORD values staged, the head
// to the first entry's phone number.
template <class Log>
bool SetMainServer(Log& log, CEncoder_Standard& e, const std::vector<EquipParmSet_EquipConfig>& list) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetMainSericeIP");
    auto frame = log.Open(op);
    if (!frame) return false;
    if (!StandardSteps::StageEntries(log, e, list.size(), [&](std::size_t i) { return Value::Of(list[i], true); })) {
        log.Exit();
        return false;
    }
    if (!StandardSteps::Head(log, e, wire::jt808::kParmSet, list.front().strPhoneNo)) return log.Fail();
    return log.Exit();
}

// ParmSet_SetHeadInterval: the heartbeat entry of `config` staged, the head to its phone number.
template <class Log>
bool SetHeartbeat(Log& log, CEncoder_Standard& e, EquipParmSet_EquipConfig& config) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_SetHeadInterval");
    auto frame = log.Open(op);
    if (!frame) return false;
    // The config's number is the heartbeat's, whatever its id and type say.
    config.eParmMark = PARM_HEARTBEAT_INTERVAL;
    config.eDataType = DATATYPE_DWORD;
    // D21: a heartbeat message without its heartbeat would be sent as a success (docs/compat.md).
    if (!StandardSteps::AppendEntry(log, e, Value::Of(config)) ||
        !StandardSteps::Head(log, e, wire::jt808::kParmSet, config.strPhoneNo))
        return log.Fail();
    return log.Exit();
}

const std::string kNoPhone;  // the head's of a list refused before it is read

}  // namespace

bool CEncoder_Standard::ParmSet_SetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list) {
    return Logged([&](auto& log) { return SetMainServer(log, *this, list); });
}

bool CEncoder_Standard::ParmSet_SetHeadInterval(EquipParmSet_EquipConfig config) {
    return Logged([&](auto& log) { return SetHeartbeat(log, *this, config); });
}

GPENC_FLATTEN bool CEncoder_Standard::ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config,
                                                              std::vector<unsigned char>& msg) {
    // This builder logs under the reset's name.
    // Q30: the name log searches use (docs/compat.md).
    static constexpr Op op = Marked("CEncoder_Standard::InitStandardMsgHead");
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_GetHeadInterval", [&] {
        return Logged([&](auto& log) {
            return StandardSteps::BuildMessage(
                log, *this, op, true, wire::jt808::kParmSet, {"config", "config.strPhoneNo"}, msg,
                [&] { return SetHeartbeat(log, *this, config); }, Finished);
        });
    });
}

bool CEncoder_Standard::ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list,
                                                std::vector<unsigned char>& msg) {
    static constexpr Op op = Marked("CEncoder_Standard::ParmSet_GetMainSericeIP");
    return gpenc::detail::Public(op, [&] {
        return Logged([&](auto& log) {
            return StandardSteps::BuildMessage(
                log, *this, op, true, wire::jt808::kParmSet, {"list", "list[0].strPhoneNo"}, msg,
                [&] { return SetMainServer(log, *this, list); }, Finished);
        });
    });
}

GPENC_FLATTEN bool CEncoder_Standard::ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list,
                                                                  std::vector<unsigned char>& msg) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_Get808ParmSetVector", [&] {
        bool ready = Check("list").NotEmpty(list, "") &&
                     Check("list", 0).NotEmpty(list.front().strPhoneNo, "strPhoneNo") && CallTypesValid();
        const bool typed = TypesOfCall() != nullptr;
        for (std::size_t i = 0; ready && i < list.size(); ++i)
            if (typed || StandardSteps::HasLayout(list[i].eParmMark))
                ready = StandardSteps::Fits(Value::Of(list[i]), "list", i);
        return Logged([&](auto& log) {
            return StandardSteps::ParmSetVector(
                log, *this, ready, list.size(), [&](std::size_t i) { return Value::Of(list[i]); },
                ready ? list.front().strPhoneNo : kNoPhone, msg);
        });
    });
}

// ---------------------------------------------------------------------------
// The same builders with the head the caller asks for
// ---------------------------------------------------------------------------

bool CEncoder_Standard::ParmSet_GetHeadInterval(EquipParmSet_EquipConfig config, std::vector<unsigned char>& msg,
                                                Jt808Head head) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_GetHeadInterval", [&] {
        const HeadScope scope(head);
        return ParmSet_GetHeadInterval(std::move(config), msg);
    });
}

bool CEncoder_Standard::ParmSet_GetMainSericeIP(std::vector<EquipParmSet_EquipConfig> list,
                                                std::vector<unsigned char>& msg, Jt808Head head) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_GetMainSericeIP", [&] {
        const HeadScope scope(head);
        return ParmSet_GetMainSericeIP(std::move(list), msg);
    });
}

bool CEncoder_Standard::ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list,
                                                    std::vector<unsigned char>& msg, Jt808Head head) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_Get808ParmSetVector", [&] {
        const HeadScope scope(head);
        return ParmSet_Get808ParmSetVector(std::move(list), msg);
    });
}

bool CEncoder_Standard::ParmSet_Get808ParmSetVector(std::vector<EquipParmSet_EquipConfig> list,
                                                    std::vector<unsigned char>& msg, Jt808Head head,
                                                    Jt808ParmTypes types) {
    return gpenc::detail::Public("CEncoder_Standard::ParmSet_Get808ParmSetVector", [&] {
        const HeadScope scope(head, &types);
        return ParmSet_Get808ParmSetVector(std::move(list), msg);
    });
}
