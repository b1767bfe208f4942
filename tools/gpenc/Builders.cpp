// The builders `gpenc encode` knows: per builder and form, the fields a request
// gives and the CEncoder member that encodes them. Fields are named as in
// gpenc/Encoder.h; a record member the builder does not read is not a field.
#include "Request.h"

#include "gpenc/Inspect.h"

#include <climits>
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

namespace gpenc::tool {

// The arguments of the builders that take no record, named as their
// parameters in gpenc/Encoder.h.
struct CommonDataArgs {
    int type = 0;
};
struct SubscriptionArgs {
    int number = 0;
    std::string text;
};
struct RealtimeArgs {
    std::string terminalNo;
};
struct PhotographArgs {
    std::string terminalNo;
    unsigned char byPhotoParam = 0;
};

// The meanings below are those of the records' members in gpenc/Encoder.h and
// gpenc/Encoder_Standard.h; "sent as given" where no more is said there.
namespace {

const char kTerminal[] = "terminal number, key 0; non-empty";

// A field of the interval and setting records: it goes out under the key its name ends in.
std::string Keyed(int key, const char* rule = "non-empty") {
    return "sent as given as key " + std::to_string(key) + "; " + rule;
}

}  // namespace

template <>
struct NestedRecord<MsgData_AlarmSet_CircularArea> {
    static const Fields<MsgData_AlarmSet_CircularArea>& fields() {
        using A = MsgData_AlarmSet_CircularArea;
        const auto timeWindow = [](const A& a) { return (a.wAreaAttr & 1) != 0; };
        const auto speedLimit = [](const A& a) { return (a.wAreaAttr & 2) != 0; };
        static const Fields<A> f = {
            Bind("dwAreaId", &A::dwAreaId, "area id, sent as given"),
            Bind("wAreaAttr", &A::wAreaAttr, "area attribute: bit 0 adds the time window, bit 1 the speed limit"),
            Bind("dLatitude", &A::dLatitude, "centre latitude, in degrees; finite"),
            Bind("dLongitude", &A::dLongitude, "centre longitude, in degrees; finite"),
            Bind("dwRadius", &A::dwRadius, "radius, in metres"),
            Bind("byStartTime", &A::byStartTime, "start time, BCD year, month, day, hour, minute, second")
                .When("bit 0 of wAreaAttr is set", timeWindow),
            Bind("byEndTime", &A::byEndTime, "end time, as the start time")
                .When("bit 0 of wAreaAttr is set", timeWindow),
            Bind("wMaxSpeed", &A::wMaxSpeed, "speed limit, in km/h").When("bit 1 of wAreaAttr is set", speedLimit),
            Bind("byOverSpeedDuration", &A::byOverSpeedDuration, "seconds above wMaxSpeed before the alarm")
                .When("bit 1 of wAreaAttr is set", speedLimit),
        };
        return f;
    }
};

// The check bytes are computed by the encoder and the spare members are not
// sent, so neither is a field. A standard card (byStandard 1) has no extension.
template <>
struct NestedRecord<struct_EquipControl_SetIC> {
    static const Fields<struct_EquipControl_SetIC>& fields() {
        using C = struct_EquipControl_SetIC;
        const auto extension = [](const C& c) { return c.byStandard != 1; };
        const char* const kExtension = "byStandard is not 1";
        static const Fields<C> f = {
            Bind("strPhoneNo", &C::strPhoneNo,
                 "phone number of the 808 message head, at most 12 decimal digits (20 under jt808Version 2019)"),
            Bind("byStandard", &C::byStandard, "1 the standard layout, anything else the extension"),
            Bind("strCardText1", &C::strCardText1, "card text 1, fitted to 32 bytes"),
            Bind("strCardText2", &C::strCardText2, "card text 2, fitted to 18 bytes"),
            Bind("tmCardDate", &C::tmCardDate, "seconds since 1970-01-01 UTC; sent as local date, in 2000-2099"),
            Bind("strCardText3", &C::strCardText3, "card text 3, fitted to 18 bytes"),
            Bind("strCardText4", &C::strCardText4, "card text 4, fitted to 56 bytes"),
            Bind("byExt1", &C::byExt1, "extension byte 1, sent as given").When(kExtension, extension),
            Bind("byExt2", &C::byExt2, "extension byte 2, sent as given").When(kExtension, extension),
            Bind("strExtText1", &C::strExtText1, "extension text 1, with a length byte; the three at most 119 bytes")
                .When(kExtension, extension),
            Bind("strExtText2", &C::strExtText2, "extension text 2, as text 1").When(kExtension, extension),
            Bind("strExtText3", &C::strExtText3, "extension text 3, as text 1").When(kExtension, extension),
        };
        return f;
    }
};

// In the list form of EquipSet only these are read of each record: the value
// of a byte-array parameter from vecValueBytes, of the others from strValue.
template <>
struct NestedRecord<sEquipset> {
    static const Fields<sEquipset>& fields() {
        using Type = inspect::ParamType;
        const auto type = [](const sEquipset& r) { return inspect::LookupParameter(r.eParmMark).type; };
        static const Fields<sEquipset> f = {
            Bind("terminalNo", &sEquipset::terminalNo, "terminal number; the first record's is used, non-empty"),
            Bind("strValue", &sEquipset::strValue,
                 "the value: decimal for a number (WORD -32768..65535, BYTE -128..255), else the text")
                .When("eParmMark is a text or a number",
                      [type](const sEquipset& r) { return type(r) != Type::kBytes && type(r) != Type::kNone; }),
            Bind("vecValueBytes", &sEquipset::vecValueBytes, "the value of a byte-array parameter")
                .When("eParmMark is a byte array (0x0075..0x0077, 0x0079, 0x007B, 0x007C, 0x0110..0x01FF)",
                      [type](const sEquipset& r) { return type(r) == Type::kBytes; }),
            Bind("eParmMark", &sEquipset::eParmMark, "the 808 parameter id this record sets")};
        return f;
    }
};

// A declaration of the caller's own parameter id, for the list form of EquipSet.
template <>
struct NestedRecord<Jt808ParmDeclaration> {
    static const Fields<Jt808ParmDeclaration>& fields() {
        using D = Jt808ParmDeclaration;
        static const Fields<D> f = {
            Bind("id", &D::id, "the parameter id; not one the encoder knows, nor declared twice"),
            Bind("type", &D::type, "its type: 1 STRING, 2 WORD, 3 DWORD, 8 BYTE[n], 9 BYTE"),
            Bind("maxLength", &D::maxLength, "the most bytes its value may take, 1..255")};
        return f;
    }
};

// What the list form of EquipSet knows beyond JT/T 808 and 1078; each part optional.
template <>
struct NestedRecord<Jt808ParmTypes> {
    static const Fields<Jt808ParmTypes>& fields() {
        using T = Jt808ParmTypes;
        const auto optional = [](const T&) { return false; };
        static const Fields<T> f = {
            Bind("activeSafety", &T::activeSafety,
                 "true: the active-safety parameters 0xF364-0xF367 of T/JSATL12-2017, as BYTE[n] of their layouts")
                .When("given", optional),
            Bind("declared", &T::declared, "the caller's own parameter ids").When("given", optional)};
        return f;
    }
};

namespace {

using Out = std::vector<unsigned char>;

struct EquipSetList {
    std::vector<sEquipset> list;
    Jt808ParmTypes types;
};

// Names on stderr each record of a list that the library left out of the
// message it built and reported as sent: one whose parameter id its own table
// gives no type, or whose value it cannot encode (an empty text, more than the
// 255 bytes a length byte counts).
void SayDropped(const std::vector<sEquipset>& list, Jt808Head head, const Jt808ParmTypes& types) {
    CEncoder_Standard table;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const sEquipset& r = list[i];
        const EequipParmDataType type = table.ParmSet_Get808ParmType(r.eParmMark, head, types);
        const std::size_t size = type == DATATYPE_STRING  ? r.strValue.size()
                                 : type == DATATYPE_BYTES ? r.vecValueBytes.size()
                                                          : 4;
        char id[16];
        std::snprintf(id, sizeof id, "0x%04x", static_cast<unsigned int>(r.eParmMark));
        std::string why;
        if (type == DATATYPE_NONE)
            why = std::string("unknown parameter id ") + id;
        else if (size == 0 && type == DATATYPE_STRING)
            why = std::string("an empty STRING value for parameter ") + id;
        else if (size > 255)
            why = "a value of " + std::to_string(size) + " bytes for parameter " + id + ", at most 255 fit";
        else
            continue;
        std::cout.flush();
        std::cerr << "gpenc: dropped list[" << i << "]: " << why << '\n';
    }
}

// The request's keys that ask for a JT/T 808 head, read beside the record's
// fields by the builders that make an 808 message.
const char kVersionKey[] = "jt808Version", kProtocolKey[] = "jt808ProtocolVersion";

// The head `request` asks for: the 2013 head without the keys. InputError for
// an edition other than 2013 or 2019, or a version byte without 2019 or
// outside 1 to 255.
Jt808Head ReadHead(const Json& request) {
    Jt808Head head;
    if (request.contains(kVersionKey)) {
        head.edition = static_cast<int>(ReadInteger(request.at(kVersionKey), INT_MIN, INT_MAX, kVersionKey));
        if (head.edition != 2013 && head.edition != 2019)
            throw InputError(std::string(kVersionKey) + ": must be 2013 or 2019, got " + std::to_string(head.edition));
    }
    if (request.contains(kProtocolKey)) {
        if (head.edition != 2019)
            throw InputError(std::string(kProtocolKey) + ": only with \"" + kVersionKey + "\": 2019");
        head.version = static_cast<unsigned char>(ReadInteger(request.at(kProtocolKey), 1, 255, kProtocolKey));
    }
    return head;
}

// The lines of `gpenc builders` for the two keys.
const std::vector<FieldInfo> kHeadFields = {
    {kVersionKey, "int 2013|2019", "optional: 2019 sends the JT/T 808-2019 head (20-digit number), default 2013"},
    {kProtocolKey, "BYTE 1..255", "optional, with jt808Version 2019: the head's protocol version byte, default 1"}};

// The builder `name` reading record R through `fields` and encoding it with
// `call(encoder, record, out)` on a fresh CEncoder; a builder that makes a
// JT/T 808 message (`head`) also reads the head the request asks for and is
// called as `call(encoder, record, out, head)`; any other refuses the keys.
template <class R, class Call>
Builder Make(const char* name, Fields<R> fields, Call call, std::string marker = {}) {
    constexpr bool kHeaded = std::is_invocable_v<Call, CEncoder&, R&, Out&, Jt808Head>;
    Builder b{name, std::move(marker), {}, nullptr};
    b.fields = Describe(fields);
    if (kHeaded) b.fields.insert(b.fields.end(), kHeadFields.begin(), kHeadFields.end());
    b.encode = [fields = std::move(fields), call, name](const Json& request, Out& out) {
        R record{};
        if constexpr (kHeaded) {
            (void)name;  // named only in the refusal of the keys below
            ReadRecord(request, fields, record, "", {"builder", kVersionKey, kProtocolKey});
            const Jt808Head asked = ReadHead(request);
            CEncoder encoder;
            return call(encoder, record, out, asked);
        } else {
            for (const char* key : {kVersionKey, kProtocolKey})
                if (request.contains(key))
                    throw InputError(std::string(key) + ": " + name + " makes no JT/T 808 message head");
            ReadRecord(request, fields, record, "", {"builder"});
            CEncoder encoder;
            return call(encoder, record, out);
        }
    };
    return b;
}

// A builder that takes its record by pointer.
template <class R>
Builder Make(const char* name, bool (CEncoder::*member)(R*, Out&), Fields<R> fields) {
    return Make(name, std::move(fields), [member](CEncoder& e, R& r, Out& out) { return (e.*member)(&r, out); });
}

// The commands whose record is two texts, keys 0 and 1.
template <class R>
Builder TextPair(const char* name, bool (CEncoder::*member)(R*, Out&)) {
    return Make<R>(name, member, {Bind("text0", &R::text0, Keyed(0)), Bind("text1", &R::text1, Keyed(1))});
}

std::vector<Builder> MakeBuilders() {
    using E = CEncoder;
    std::vector<Builder> b;
    b.push_back(Make("CommonData",
                     Fields<CommonDataArgs>{Bind("type", &CommonDataArgs::type, "command number, 2 or 4")},
                     [](E& e, CommonDataArgs& a, Out& out) { return e.CommonData(a.type, out); }));
    using L = sUserLogin;
    const char* const kLogin = "login text, sent as the key its name ends in; non-empty";
    b.push_back(Make<L>("UserLogin", &E::UserLogin,
                        {Bind("loginText0", &L::loginText0, kLogin), Bind("loginText1", &L::loginText1, kLogin),
                         Bind("loginText2", &L::loginText2, kLogin), Bind("loginText3", &L::loginText3, kLogin),
                         Bind("loginText4", &L::loginText4, kLogin), Bind("loginText5", &L::loginText5, kLogin),
                         Bind("loginText6", &L::loginText6, kLogin), Bind("loginText7", &L::loginText7, kLogin)}));
    using SA = SubscriptionArgs;
    const char* const kNumber = "subscription number, key 0; non-zero";
    b.push_back(Make(
        "Subscription", Fields<SA>{Bind("number", &SA::number, kNumber), Bind("text", &SA::text, Keyed(1))},
        [](E& e, SA& a, Out& out) { return e.Subscription(a.number, a.text, out); }, "text"));
    b.push_back(Make("Subscription", Fields<SA>{Bind("number", &SA::number, kNumber)},
                     [](E& e, SA& a, Out& out) { return e.Subscription(a.number, out); }));
    b.push_back(Make("Realtime", Fields<RealtimeArgs>{Bind("terminalNo", &RealtimeArgs::terminalNo, kTerminal)},
                     [](E& e, RealtimeArgs& a, Out& out) { return e.Realtime(a.terminalNo, out); }));
    using PA = PhotographArgs;
    b.push_back(Make("Photograph",
                     Fields<PA>{Bind("terminalNo", &PA::terminalNo, kTerminal),
                                Bind("byPhotoParam", &PA::byPhotoParam, "photograph parameter, key 1; sent as given")},
                     [](E& e, PA& a, Out& out) { return e.Photograph(a.terminalNo, a.byPhotoParam, out); }));
    using TP = sTrackPlayback;
    const char* const kTime = "six bytes as stored; not all zero";
    b.push_back(Make<TP>("TrackPlayback", &E::TrackPlayback,
                         {Bind("terminalNo", &TP::terminalNo, kTerminal),
                          Bind("byStartTime", &TP::byStartTime, std::string("start of the track, key 1: ") + kTime),
                          Bind("byEndTime", &TP::byEndTime, std::string("end of the track, key 2: ") + kTime)}));

    using CI = sCommitInterval;
    b.push_back(Make<CI>(
        "Cmd_sCommitInterval", &E::Cmd_sCommitInterval,
        {Bind("byte0", &CI::byte0, Keyed(0, "non-zero")), Bind("text1", &CI::text1, Keyed(1)),
         Bind("text2", &CI::text2, Keyed(2)), Bind("text3", &CI::text3, Keyed(3)), Bind("text4", &CI::text4, Keyed(4)),
         Bind("text5", &CI::text5, Keyed(5)), Bind("text6", &CI::text6, Keyed(6))}));
    b.push_back(TextPair("Cmd_SoundSowing", &E::Cmd_SoundSowing));
    using LI = sListening;
    b.push_back(Make<LI>("Cmd_sListening", &E::Cmd_sListening,
                         {Bind("text2", &LI::text2, Keyed(2)), Bind("text0", &LI::text0, Keyed(0)),
                          Bind("byte1", &LI::byte1, Keyed(1, "any value"))}));
    b.push_back(TextPair("Cmd_sSimSet", &E::Cmd_sSimSet));
    b.push_back(TextPair("Cmd_sBlackout", &E::Cmd_sBlackout));
    using V = sVideo;
    b.push_back(Make<V>("Cmd_sVideo", &E::Cmd_sVideo,
                        {Bind("text4", &V::text4, Keyed(4)), Bind("text0", &V::text0, Keyed(0)),
                         Bind("byte1", &V::byte1, Keyed(1, "any value")), Bind("text2", &V::text2, Keyed(2)),
                         Bind("int3", &V::int3, Keyed(3, "non-zero"))}));
    using AH = sAlarmHandle;
    b.push_back(Make<AH>("Cmd_AlarmHandle", &E::Cmd_AlarmHandle,
                         {Bind("text0", &AH::text0, Keyed(0)), Bind("text1", &AH::text1, Keyed(1)),
                          Bind("byte2", &AH::byte2, "0 to 9; key 2, a one-byte text holding the value (3 as 0x03)"),
                          Bind("text3", &AH::text3, Keyed(3))}));
    using TI = sTimeInterval;
    b.push_back(Make<TI>("Cmd_sTimeInterval", &E::Cmd_sTimeInterval,
                         {Bind("text0", &TI::text0, Keyed(0)),
                          Bind("int1", &TI::int1, Keyed(1, "non-zero, a negative value as it is"))}));
    using PR = sPreset;
    b.push_back(Make<PR>(
        "Cmd_sPreset", &E::Cmd_sPreset,
        {Bind("text0", &PR::text0, Keyed(0)),
         Bind("count1", &PR::count1, "how many names are sent, key 1; -1, 0 or more than names2 has is refused"),
         Bind("names2", &PR::names2, "the names, each as key 2")}));

    b.push_back(Make<sEquipsetQuery>("Cmd_EquipSetQuery", &E::Cmd_EquipSetQuery,
                                     {Bind("terminalNo", &sEquipsetQuery::terminalNo, kTerminal)}));
    b.push_back(Make<sEquipPositionInfoQuery>("Cmd_EquipPositionInfoQuery", &E::Cmd_EquipPositionInfoQuery,
                                              {Bind("terminalNo", &sEquipPositionInfoQuery::terminalNo, kTerminal)}));
    b.push_back(Make<sAffirmAlarmInform>("Cmd_AffirmAlarmInform", &E::Cmd_AffirmAlarmInform,
                                         {Bind("terminalNo", &sAffirmAlarmInform::terminalNo, kTerminal)}));
    using TT = sEquipTempPositionTrack;
    b.push_back(Make<TT>("Cmd_EquipTempPositionTrack", &E::Cmd_EquipTempPositionTrack,
                         {Bind("terminalNo", &TT::terminalNo, kTerminal),
                          Bind("nInterval", &TT::nInterval, "time interval, in seconds; 0 stops the tracking"),
                          Bind("nValidity", &TT::nValidity, "tracking validity period, in seconds")}));
    using EC = sEquipControl;
    b.push_back(
        Make<EC>("Cmd_EquipControl", &E::Cmd_EquipControl,
                 {Bind("terminalNo", &EC::terminalNo, kTerminal),
                  Bind("nCommand", &EC::nCommand,
                       "command word: 1 upgrade, 2 connect to a server, 3 power off, 4 reset, 5 factory settings, "
                       "6 data off, 7 wireless off"),
                  Bind("strUpgradeArgs", &EC::strUpgradeArgs,
                       "URL, dial point, user, password, address, TCP and UDP port, maker, hardware and firmware "
                       "version, time limit")
                      .When("nCommand is 1", [](const EC& c) { return c.nCommand == 1; }),
                  Bind("strConnectArgs", &EC::strConnectArgs,
                       "0 this server or 1 the default (sent alone), authentication code, dial point, user, password, "
                       "address, TCP and UDP port, time limit")
                      .When("nCommand is 2", [](const EC& c) { return c.nCommand == 2; })}));

    // A numeric setting's text must be a number: the library would send "abc" as 0.
    using ES = sEquipset;
    const auto builds = [](const ES& r) { return r.nSetParm == 1 || r.nSetParm == 0x13; };
    b.push_back(Make(
        "EquipSet",
        Fields<ES>{Bind("terminalNo", &ES::terminalNo,
                        "terminal number, key 0; non-empty; its last 12 characters the phone number (2019: all of "
                        "it, at most 20 digits)"),
                   Bind("strValue", &ES::strValue, "the value: decimal for the heartbeat interval, else the address")
                       .When("nSetParm is 1 or 0x13", builds),
                   Bind("strMsgHex", &ES::strMsgHex,
                        "808 message as hex text: the message built is appended, and all of it is sent as key 2"),
                   Bind("nSetParm", &ES::nSetParm,
                        "1 heartbeat interval, 0x13 main server address; any other value builds no message"),
                   Bind("msgId", &ES::msgId, "sent as key 1 as it stands, 0 to 0xFFFF")},
        [builds](E& e, ES& r, Out& out, Jt808Head head) {
            if (builds(r)) CheckSettingText(r.strValue, static_cast<std::uint32_t>(r.nSetParm), "strValue");
            return e.EquipSet(&r, out, head);
        }));
    b.push_back(Make(
        "EquipSet",
        Fields<EquipSetList>{Bind("list", &EquipSetList::list, "one record a parameter, in one 0x8103 message"),
                             Bind("types", &EquipSetList::types, "the parameters the call opts into or declares")
                                 .When("given", [](const EquipSetList&) { return false; })},
        [](E& e, EquipSetList& a, Out& out, Jt808Head head) {
            for (std::size_t i = 0; i < a.list.size(); ++i)
                CheckSettingText(a.list[i].strValue, a.list[i].eParmMark, "list[" + std::to_string(i) + "].strValue");
            if (!e.EquipSet(a.list, out, head, a.types)) return false;
            SayDropped(a.list, head, a.types);
            return true;
        },
        "list"));
    using IC = sEquipControl_SetIC;
    b.push_back(Make("EquipSet_ICInfoSet",
                     Fields<IC>{Bind("terminalNo", &IC::terminalNo, kTerminal),
                                Bind("stSetIC", &IC::stSetIC, "the IC card, sent as a 0x8900 message")},
                     [](E& e, IC& r, Out& out, Jt808Head head) { return e.EquipSet_ICInfoSet(r, out, head); }));
    using AS = sEquip_AlarmSet;
    b.push_back(Make<AS>(
        "EquipAlarmSet", &E::EquipAlarmSet,
        {Bind("terminalNo", &AS::terminalNo, kTerminal),
         Bind("strMsgText", &AS::strMsgText, "the setting text: the new text is appended and all of it is sent"),
         Bind("bySetAttr", &AS::bySetAttr, "setting attribute, sent as given"),
         Bind("byAreaCount", &AS::byAreaCount, "sent as given, whatever the number of areas"),
         Bind("vecAreas", &AS::vecAreas, "the circular areas, in a 0x8600 setting")}));
    return b;
}

}  // namespace

const std::vector<Builder>& Builders() {
    static const std::vector<Builder> builders = MakeBuilders();
    return builders;
}

const Builder& FindBuilder(const Json& request) {
    if (!request.is_object()) throw InputError("request: expected a JSON object");
    const auto name = request.find("builder");
    if (name == request.end() || !name->is_string())
        throw InputError("request: missing field \"builder\" (a text naming the builder)");
    const Builder* plain = nullptr;
    for (const Builder& b : Builders()) {
        if (b.name != *name) continue;
        if (b.marker.empty())
            plain = &b;
        else if (request.contains(b.marker))
            return b;
    }
    if (!plain)
        throw InputError("request: unknown builder \"" + name->get<std::string>() + "\" (`gpenc builders` lists them)");
    return *plain;
}

}  // namespace gpenc::tool
