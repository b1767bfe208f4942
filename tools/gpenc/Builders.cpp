// The builders `gpenc encode` knows: per builder and form, the fields a request
// gives and the CEncoder member that encodes them. Fields are named as in
// gpenc/Encoder.h; a record member the builder does not read is not a field.
#include "Request.h"

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

template <>
struct NestedRecord<MsgData_AlarmSet_CircularArea> {
    static const Fields<MsgData_AlarmSet_CircularArea>& fields() {
        using A = MsgData_AlarmSet_CircularArea;
        static const Fields<A> f = {
            Bind("dwAreaId", &A::dwAreaId),
            Bind("wAreaAttr", &A::wAreaAttr),
            Bind("dLatitude", &A::dLatitude),
            Bind("dLongitude", &A::dLongitude),
            Bind("dwRadius", &A::dwRadius),
            Bind("byStartTime", &A::byStartTime),
            Bind("byEndTime", &A::byEndTime),
            Bind("wMaxSpeed", &A::wMaxSpeed),
            Bind("byOverSpeedDuration", &A::byOverSpeedDuration),
        };
        return f;
    }
};

// The check bytes are computed by the encoder and the spare members are not
// sent, so neither is a field.
template <>
struct NestedRecord<struct_EquipControl_SetIC> {
    static const Fields<struct_EquipControl_SetIC>& fields() {
        using C = struct_EquipControl_SetIC;
        static const Fields<C> f = {
            Bind("strPhoneNo", &C::strPhoneNo),
            Bind("byStandard", &C::byStandard),
            Bind("strCardText1", &C::strCardText1),
            Bind("strCardText2", &C::strCardText2),
            Bind("tmCardDate", &C::tmCardDate),
            Bind("strCardText3", &C::strCardText3),
            Bind("strCardText4", &C::strCardText4),
            Bind("byExt1", &C::byExt1),
            Bind("byExt2", &C::byExt2),
            Bind("strExtText1", &C::strExtText1),
            Bind("strExtText2", &C::strExtText2),
            Bind("strExtText3", &C::strExtText3),
        };
        return f;
    }
};

// In the list form of EquipSet only these are read of each record.
template <>
struct NestedRecord<sEquipset> {
    static const Fields<sEquipset>& fields() {
        static const Fields<sEquipset> f = {
            Bind("terminalNo", &sEquipset::terminalNo), Bind("strValue", &sEquipset::strValue),
            Bind("vecValueBytes", &sEquipset::vecValueBytes), Bind("eParmMark", &sEquipset::eParmMark)};
        return f;
    }
};

namespace {

using Out = std::vector<unsigned char>;

struct EquipSetList {
    std::vector<sEquipset> list;
};

// Names on stderr each record of a list that the library left out of the
// message it built and reported as sent: one whose parameter id its own table
// gives no type, or whose value it cannot encode (an empty text, more than the
// 255 bytes a length byte counts).
void SayDropped(const std::vector<sEquipset>& list) {
    CEncoder_Standard table;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const sEquipset& r = list[i];
        const EequipParmDataType type = table.ParmSet_Get808ParmType(r.eParmMark);
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

// The builder `name` reading record R through `fields` and encoding it with
// `call(encoder, record, out)` on a fresh CEncoder.
template <class R, class Call>
Builder Make(const char* name, Fields<R> fields, Call call, std::string marker = {}) {
    Builder b{name, std::move(marker), {}, nullptr};
    for (const auto& f : fields) b.fields.push_back({f.name, f.type});
    b.encode = [fields = std::move(fields), call](const Json& request, Out& out) {
        R record{};
        ReadRecord(request, fields, record, "", {"builder"});
        CEncoder encoder;
        return call(encoder, record, out);
    };
    return b;
}

// A builder that takes its record by pointer.
template <class R>
Builder Make(const char* name, bool (CEncoder::*member)(R*, Out&), Fields<R> fields) {
    return Make(name, std::move(fields), [member](CEncoder& e, R& r, Out& out) { return (e.*member)(&r, out); });
}

std::vector<Builder> MakeBuilders() {
    using E = CEncoder;
    std::vector<Builder> b;
    b.push_back(Make("CommonData", Fields<CommonDataArgs>{Bind("type", &CommonDataArgs::type)},
                     [](E& e, CommonDataArgs& a, Out& out) { return e.CommonData(a.type, out); }));
    b.push_back(
        Make<sUserLogin>("UserLogin", &E::UserLogin,
                         {Bind("loginText0", &sUserLogin::loginText0), Bind("loginText1", &sUserLogin::loginText1),
                          Bind("loginText2", &sUserLogin::loginText2), Bind("loginText3", &sUserLogin::loginText3),
                          Bind("loginText4", &sUserLogin::loginText4), Bind("loginText5", &sUserLogin::loginText5),
                          Bind("loginText6", &sUserLogin::loginText6), Bind("loginText7", &sUserLogin::loginText7)}));
    b.push_back(Make(
        "Subscription",
        Fields<SubscriptionArgs>{Bind("number", &SubscriptionArgs::number), Bind("text", &SubscriptionArgs::text)},
        [](E& e, SubscriptionArgs& a, Out& out) { return e.Subscription(a.number, a.text, out); }, "text"));
    b.push_back(Make("Subscription", Fields<SubscriptionArgs>{Bind("number", &SubscriptionArgs::number)},
                     [](E& e, SubscriptionArgs& a, Out& out) { return e.Subscription(a.number, out); }));
    b.push_back(Make("Realtime", Fields<RealtimeArgs>{Bind("terminalNo", &RealtimeArgs::terminalNo)},
                     [](E& e, RealtimeArgs& a, Out& out) { return e.Realtime(a.terminalNo, out); }));
    b.push_back(
        Make("Photograph",
             Fields<PhotographArgs>{Bind("terminalNo", &PhotographArgs::terminalNo),
                                    Bind("byPhotoParam", &PhotographArgs::byPhotoParam)},
             [](E& e, PhotographArgs& a, Out& out) { return e.Photograph(a.terminalNo, a.byPhotoParam, out); }));
    b.push_back(Make<sTrackPlayback>(
        "TrackPlayback", &E::TrackPlayback,
        {Bind("terminalNo", &sTrackPlayback::terminalNo), Bind("byStartTime", &sTrackPlayback::byStartTime),
         Bind("byEndTime", &sTrackPlayback::byEndTime)}));

    using CI = sCommitInterval;
    b.push_back(Make<CI>(
        "Cmd_sCommitInterval", &E::Cmd_sCommitInterval,
        {Bind("byte0", &CI::byte0), Bind("text1", &CI::text1), Bind("text2", &CI::text2), Bind("text3", &CI::text3),
         Bind("text4", &CI::text4), Bind("text5", &CI::text5), Bind("text6", &CI::text6)}));
    b.push_back(Make<sSoundSowing>("Cmd_SoundSowing", &E::Cmd_SoundSowing,
                                   {Bind("text0", &sSoundSowing::text0), Bind("text1", &sSoundSowing::text1)}));
    b.push_back(Make<sListening>(
        "Cmd_sListening", &E::Cmd_sListening,
        {Bind("text2", &sListening::text2), Bind("text0", &sListening::text0), Bind("byte1", &sListening::byte1)}));
    b.push_back(
        Make<sSimSetInterval>("Cmd_sSimSet", &E::Cmd_sSimSet,
                              {Bind("text0", &sSimSetInterval::text0), Bind("text1", &sSimSetInterval::text1)}));
    b.push_back(
        Make<sBlackoutInterval>("Cmd_sBlackout", &E::Cmd_sBlackout,
                                {Bind("text0", &sBlackoutInterval::text0), Bind("text1", &sBlackoutInterval::text1)}));
    b.push_back(
        Make<sVideo>("Cmd_sVideo", &E::Cmd_sVideo,
                     {Bind("text4", &sVideo::text4), Bind("text0", &sVideo::text0), Bind("byte1", &sVideo::byte1),
                      Bind("text2", &sVideo::text2), Bind("int3", &sVideo::int3)}));
    b.push_back(Make<sAlarmHandle>("Cmd_AlarmHandle", &E::Cmd_AlarmHandle,
                                   {Bind("text0", &sAlarmHandle::text0), Bind("text1", &sAlarmHandle::text1),
                                    Bind("byte2", &sAlarmHandle::byte2), Bind("text3", &sAlarmHandle::text3)}));
    b.push_back(Make<sTimeInterval>("Cmd_sTimeInterval", &E::Cmd_sTimeInterval,
                                    {Bind("text0", &sTimeInterval::text0), Bind("int1", &sTimeInterval::int1)}));
    b.push_back(Make<sPreset>(
        "Cmd_sPreset", &E::Cmd_sPreset,
        {Bind("text0", &sPreset::text0), Bind("count1", &sPreset::count1), Bind("names2", &sPreset::names2)}));

    b.push_back(Make<sEquipsetQuery>("Cmd_EquipSetQuery", &E::Cmd_EquipSetQuery,
                                     {Bind("terminalNo", &sEquipsetQuery::terminalNo)}));
    b.push_back(Make<sEquipPositionInfoQuery>("Cmd_EquipPositionInfoQuery", &E::Cmd_EquipPositionInfoQuery,
                                              {Bind("terminalNo", &sEquipPositionInfoQuery::terminalNo)}));
    b.push_back(Make<sAffirmAlarmInform>("Cmd_AffirmAlarmInform", &E::Cmd_AffirmAlarmInform,
                                         {Bind("terminalNo", &sAffirmAlarmInform::terminalNo)}));
    using TT = sEquipTempPositionTrack;
    b.push_back(Make<TT>(
        "Cmd_EquipTempPositionTrack", &E::Cmd_EquipTempPositionTrack,
        {Bind("terminalNo", &TT::terminalNo), Bind("nInterval", &TT::nInterval), Bind("nValidity", &TT::nValidity)}));
    b.push_back(
        Make<sEquipControl>("Cmd_EquipControl", &E::Cmd_EquipControl,
                            {Bind("terminalNo", &sEquipControl::terminalNo), Bind("nCommand", &sEquipControl::nCommand),
                             Bind("strUpgradeArgs", &sEquipControl::strUpgradeArgs),
                             Bind("strConnectArgs", &sEquipControl::strConnectArgs)}));

    // A numeric setting's text must be a number: the library would send "abc" as 0.
    b.push_back(Make("EquipSet",
                     Fields<sEquipset>{Bind("terminalNo", &sEquipset::terminalNo),
                                       Bind("strValue", &sEquipset::strValue), Bind("strMsgHex", &sEquipset::strMsgHex),
                                       Bind("nSetParm", &sEquipset::nSetParm), Bind("msgId", &sEquipset::msgId)},
                     [](E& e, sEquipset& r, Out& out) {
                         CheckSettingText(r.strValue, static_cast<std::uint32_t>(r.nSetParm), "strValue");
                         return e.EquipSet(&r, out);
                     }));
    b.push_back(Make(
        "EquipSet", Fields<EquipSetList>{Bind("list", &EquipSetList::list)},
        [](E& e, EquipSetList& a, Out& out) {
            for (std::size_t i = 0; i < a.list.size(); ++i)
                CheckSettingText(a.list[i].strValue, a.list[i].eParmMark, "list[" + std::to_string(i) + "].strValue");
            if (!e.EquipSet(a.list, out)) return false;
            SayDropped(a.list);
            return true;
        },
        "list"));
    b.push_back(Make("EquipSet_ICInfoSet",
                     Fields<sEquipControl_SetIC>{Bind("terminalNo", &sEquipControl_SetIC::terminalNo),
                                                 Bind("stSetIC", &sEquipControl_SetIC::stSetIC)},
                     [](E& e, sEquipControl_SetIC& r, Out& out) { return e.EquipSet_ICInfoSet(r, out); }));
    using AS = sEquip_AlarmSet;
    b.push_back(Make<AS>(
        "EquipAlarmSet", &E::EquipAlarmSet,
        {Bind("terminalNo", &AS::terminalNo), Bind("strMsgText", &AS::strMsgText), Bind("bySetAttr", &AS::bySetAttr),
         Bind("byAreaCount", &AS::byAreaCount), Bind("vecAreas", &AS::vecAreas)}));
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
