// Names and types the inspector shows: JT/T 808 terminal parameters, message
// ids, GP command numbers and value kinds.
#include "Layout.h"
#include "gpenc/Inspect.h"

namespace gpenc::inspect {
namespace {

constexpr ParamType S = ParamType::kString;
constexpr ParamType W = ParamType::kWord;
constexpr ParamType D = ParamType::kDword;
constexpr ParamType B = ParamType::kByte;
constexpr ParamType N = ParamType::kBytes;

struct ParamRow {
    std::uint16_t first, last;
    ParamType type;
    const char* name;
    std::uint8_t size = 0;  // BYTE[n] of a fixed n; 0: any
};

// The terminal parameter list of JT/T 808 (2013), one row per id except the
// CAN-bus collection settings, which share one meaning over their range.
constexpr ParamRow kParams[] = {
    {0x0001, 0x0001, D, "heartbeat interval (s)"},
    {0x0002, 0x0002, D, "TCP reply time-out (s)"},
    {0x0003, 0x0003, D, "TCP retransmissions"},
    {0x0004, 0x0004, D, "UDP reply time-out (s)"},
    {0x0005, 0x0005, D, "UDP retransmissions"},
    {0x0006, 0x0006, D, "SMS reply time-out (s)"},
    {0x0007, 0x0007, D, "SMS retransmissions"},
    {0x0010, 0x0010, S, "main server APN"},
    {0x0011, 0x0011, S, "main server dial-up user"},
    {0x0012, 0x0012, S, "main server dial-up password"},
    {0x0013, 0x0013, S, "main server address"},
    {0x0014, 0x0014, S, "backup server APN"},
    {0x0015, 0x0015, S, "backup server dial-up user"},
    {0x0016, 0x0016, S, "backup server dial-up password"},
    {0x0017, 0x0017, S, "backup server address"},
    {0x0018, 0x0018, D, "server TCP port"},
    {0x0019, 0x0019, D, "server UDP port"},
    {0x001A, 0x001A, S, "IC-card authentication main server address"},
    {0x001B, 0x001B, D, "IC-card authentication server TCP port"},
    {0x001C, 0x001C, D, "IC-card authentication server UDP port"},
    {0x001D, 0x001D, S, "IC-card authentication backup server address"},
    {0x0020, 0x0020, D, "position report strategy"},
    {0x0021, 0x0021, D, "position report scheme"},
    {0x0022, 0x0022, D, "report interval, no driver logged in (s)"},
    {0x0027, 0x0027, D, "report interval while sleeping (s)"},
    {0x0028, 0x0028, D, "report interval in emergency alarm (s)"},
    {0x0029, 0x0029, D, "default report interval (s)"},
    {0x002C, 0x002C, D, "default report distance (m)"},
    {0x002D, 0x002D, D, "report distance, no driver logged in (m)"},
    {0x002E, 0x002E, D, "report distance while sleeping (m)"},
    {0x002F, 0x002F, D, "report distance in emergency alarm (m)"},
    {0x0030, 0x0030, D, "turn angle for supplementary reports (degrees)"},
    {0x0031, 0x0031, W, "electronic fence radius (m)"},
    {0x0040, 0x0040, S, "monitoring platform phone number"},
    {0x0041, 0x0041, S, "reset phone number"},
    {0x0042, 0x0042, S, "factory reset phone number"},
    {0x0043, 0x0043, S, "platform SMS phone number"},
    {0x0044, 0x0044, S, "SMS text alarm number"},
    {0x0045, 0x0045, D, "call answering strategy"},
    {0x0046, 0x0046, D, "longest call per call (s)"},
    {0x0047, 0x0047, D, "longest call per month (s)"},
    {0x0048, 0x0048, S, "monitoring phone number"},
    {0x0049, 0x0049, S, "privileged SMS number"},
    {0x0050, 0x0050, D, "alarm mask"},
    {0x0051, 0x0051, D, "alarm SMS switch"},
    {0x0052, 0x0052, D, "alarm photograph switch"},
    {0x0053, 0x0053, D, "alarm photograph storage flags"},
    {0x0054, 0x0054, D, "key alarm flags"},
    {0x0055, 0x0055, D, "top speed (km/h)"},
    {0x0056, 0x0056, D, "over-speed duration (s)"},
    {0x0057, 0x0057, D, "continuous driving time limit (s)"},
    {0x0058, 0x0058, D, "daily driving time limit (s)"},
    {0x0059, 0x0059, D, "shortest rest (s)"},
    {0x005A, 0x005A, D, "longest stop (s)"},
    {0x005B, 0x005B, W, "over-speed warning difference (1/10 km/h)"},
    {0x005C, 0x005C, W, "fatigue driving warning difference (s)"},
    {0x005D, 0x005D, W, "collision alarm settings"},
    {0x005E, 0x005E, W, "roll-over alarm angle (degrees)"},
    {0x0064, 0x0064, D, "timed photograph control"},
    {0x0065, 0x0065, D, "distance photograph control"},
    {0x0070, 0x0070, D, "image quality (1-10)"},
    {0x0071, 0x0071, D, "brightness (0-255)"},
    {0x0072, 0x0072, D, "contrast (0-127)"},
    {0x0073, 0x0073, D, "saturation (0-127)"},
    {0x0074, 0x0074, D, "chroma (0-255)"},
    {0x0080, 0x0080, D, "odometer reading (1/10 km)"},
    {0x0081, 0x0081, W, "province id"},
    {0x0082, 0x0082, W, "city id"},
    {0x0083, 0x0083, S, "licence plate"},
    {0x0084, 0x0084, B, "licence plate colour"},
    {0x0090, 0x0090, B, "GNSS positioning mode"},
    {0x0091, 0x0091, B, "GNSS baud rate"},
    {0x0092, 0x0092, B, "GNSS output frequency"},
    {0x0093, 0x0093, D, "GNSS sampling frequency (s)"},
    {0x0094, 0x0094, B, "GNSS upload mode"},
    {0x0095, 0x0095, D, "GNSS upload setting"},
    {0x0100, 0x0100, D, "CAN channel 1 collection interval (ms)"},
    {0x0101, 0x0101, W, "CAN channel 1 upload interval (s)"},
    {0x0102, 0x0102, D, "CAN channel 2 collection interval (ms)"},
    {0x0103, 0x0103, W, "CAN channel 2 upload interval (s)"},
    {0x0110, 0x01FF, N, "CAN bus id collection setting"},
};

// What the 2019 edition adds to that list; every other id reads as in 2013
// (0x0013 and 0x0017 may list several "host:port" addresses, same type). The
// ids where SmallChi/JT808 (MessageBody/JT808_0x8103_0x0023.cs to _0x0026.cs,
// _0x0032.cs) and yezhihao/jt808-server (ParameterConverter.java, its
// "JT808 2019" block) agree.
constexpr ParamRow kParams2019[] = {
    {0x0023, 0x0023, S, "slave server APN"},
    {0x0024, 0x0024, S, "slave server dial-up user"},
    {0x0025, 0x0025, S, "slave server dial-up password"},
    {0x0026, 0x0026, S, "slave server backup address"},
    {0x0032, 0x0032, N, "illegal driving period (start HH MM, end HH MM)", 4},
};

template <std::size_t N>
const ParamRow* FindRow(const ParamRow (&table)[N], std::uint32_t id) {
    for (const ParamRow& row : table)
        if (row.first <= id && id <= row.last) return &row;
    return nullptr;
}

struct Named {
    std::uint32_t id;
    const char* name;
};

constexpr Named kMessages[] = {
    {jt808::kParmSet, "terminal parameter setting"},    {jt808::kParmQuery, "terminal parameter query"},
    {jt808::kTerminalControl, "terminal control"},      {jt808::kPositionQuery, "position information query"},
    {jt808::kTempTrack, "temporary position tracking"}, {jt808::kAffirmAlarm, "manual alarm confirmation"},
    {jt808::kCircularArea, "set circular area"},        {jt808::kPassThrough, "downlink transparent data"},
};

constexpr Named kCommands[] = {
    {0x01, "login"},           {0x02, "common data"},
    {0x03, "subscription"},    {0x04, "common data"},
    {0x05, "photograph"},      {0x06, "sound sowing"},
    {0x07, "alarm handling"},  {0x11, "track playback"},
    {0x18, "time interval"},   {0x19, "video"},
    {0x20, "listening"},       {0x21, "preset"},
    {0x22, "commit interval"}, {0x23, "SIM setting"},
    {0x25, "blackout"},        {gp::kTunnelCommand, "JT/T 808 equipment request"},
    {0x50, "realtime data"},
};

template <std::size_t N>
const char* Find(const Named (&table)[N], std::uint32_t id) {
    for (const Named& n : table)
        if (n.id == id) return n.name;
    return "";
}

}  // namespace

ParamInfo LookupParameter(std::uint32_t id) { return LookupParameter(id, 2013); }

ParamInfo LookupParameter(std::uint32_t id, int edition) {
    const ParamRow* row = edition == 2019 ? FindRow(kParams2019, id) : nullptr;
    if (!row) row = FindRow(kParams, id);
    if (!row) return {};
    return {row->type, row->name, row->size};
}

const char* ParamTypeName(ParamType type) {
    switch (type) {
    case ParamType::kString: return "STRING";
    case ParamType::kWord: return "WORD";
    case ParamType::kDword: return "DWORD";
    case ParamType::kBytes: return "BYTE[n]";
    case ParamType::kByte: return "BYTE";
    case ParamType::kNone: break;
    }
    return "no type";
}

const char* MessageName(std::uint32_t id) { return Find(kMessages, id); }
const char* CommandName(std::uint16_t command) { return Find(kCommands, command); }

const char* KindName(std::uint8_t kind) {
    switch (static_cast<Kind>(kind)) {
    case Kind::kText: return "text";
    case Kind::kInt32: return "Int32";
    case Kind::kByte: return "byte";
    case Kind::kSixBytes: return "six bytes";
    default: return "unknown";
    }
}

}  // namespace gpenc::inspect
