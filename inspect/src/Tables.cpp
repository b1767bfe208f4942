// Names and types the inspector shows: JT/T 808 terminal parameters (with JT/T
// 1078's and the active-safety ones, field by field), message ids, GP command
// numbers and value kinds.
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
    // JT/T 1078's video terminal parameters; their layouts are below.
    {0x0075, 0x0075, N, "audio/video parameters", 21},
    {0x0076, 0x0076, N, "audio/video channel list"},
    {0x0077, 0x0077, N, "per-channel video parameters"},
    {0x0079, 0x0079, N, "special alarm recording parameters", 3},
    {0x007A, 0x007A, D, "video-related alarm mask"},
    {0x007B, 0x007B, N, "image analysis alarm parameters", 2},
    {0x007C, 0x007C, N, "terminal sleep wake-up mode", 20},
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

// Jiangsu's active-safety parameters (T/JSATL12-2017), in the sizes of its
// layouts below.
constexpr const char* kActiveSafety = "Jiangsu active safety, T/JSATL12";
constexpr ParamRow kExtensionParams[] = {
    {0xF364, 0xF364, N, "advanced driver assistance (ADAS) parameters", 56},
    {0xF365, 0xF365, N, "driver status monitoring (DSM) parameters", 47},
    {0xF366, 0xF366, N, "tyre pressure monitoring (TPMS) parameters", 36},
    {0xF367, 0xF367, N, "blind spot monitoring (BSD) parameters", 2},
};

// ---- The layouts of structured values, field by field.

constexpr FieldShow kNum = FieldShow::kNumber;
constexpr FieldShow kBits = FieldShow::kFlags;
constexpr FieldShow kTime = FieldShow::kBcd;
constexpr FieldShow kRaw = FieldShow::kBytes;
constexpr FieldShow kChars = FieldShow::kText;

template <std::size_t K>
constexpr LayoutField Valued(const char* key, const char* name, std::uint8_t width, FieldShow show,
                             const char* const (&names)[K]) {
    return {key, name, width, show, names, static_cast<std::uint8_t>(K)};
}

constexpr const char* kEncoding[] = {"CBR", "VBR", "ABR"};
constexpr const char* kResolution[] = {"QCIF", "CIF", "WCIF", "D1", "WD1", "720P", "1080P"};
constexpr const char* kOsd[] = {"date and time",  "licence plate",   "logical channel number", "latitude and longitude",
                                "recorder speed", "satellite speed", "continuous driving time"};
constexpr const char* kOffOn[] = {"off", "on"};
constexpr const char* kNoYes[] = {"no", "yes"};
constexpr const char* kChannelType[] = {"audio and video", "audio", "video"};
constexpr const char* kVideoAlarms[] = {"video signal loss",
                                        "video signal blocked",
                                        "storage unit failure",
                                        "other video equipment failure",
                                        "passenger overload",
                                        "abnormal driving behaviour",
                                        "special alarm recordings reach the storage threshold"};
constexpr const char* kWakeModes[] = {"on conditions", "timed", "manual"};
constexpr const char* kWakeConditions[] = {"emergency alarm", "collision or roll-over alarm", "door opened"};
constexpr const char* kWeekdays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
constexpr const char* kPeriods[] = {"period 1", "period 2", "period 3", "period 4"};

// The settings of one video stream pair (0x0075, and each channel of 0x0077,
// which starts with its logical channel and has no audio output).
constexpr LayoutField kVideo[] = {
    {"logical_channel", "logical channel number", 1, kNum},
    Valued("rts_encoding", "real-time stream encoding", 1, kNum, kEncoding),
    Valued("rts_resolution", "real-time stream resolution", 1, kNum, kResolution),
    {"rts_key_frame_interval", "real-time stream key frame interval (frames)", 2, kNum},
    {"rts_frame_rate", "real-time stream target frame rate (fps)", 1, kNum},
    {"rts_bit_rate", "real-time stream target bit rate (kbps)", 4, kNum},
    Valued("storage_encoding", "storage stream encoding", 1, kNum, kEncoding),
    Valued("storage_resolution", "storage stream resolution", 1, kNum, kResolution),
    {"storage_key_frame_interval", "storage stream key frame interval (frames)", 2, kNum},
    {"storage_frame_rate", "storage stream target frame rate (fps)", 1, kNum},
    {"storage_bit_rate", "storage stream target bit rate (kbps)", 4, kNum},
    Valued("osd", "OSD overlay", 2, kBits, kOsd),
    Valued("audio_output", "audio output", 1, kNum, kOffOn),
};
constexpr std::size_t kVideoSettings = 11;  // rts_encoding to osd

constexpr LayoutField kChannelCounts[] = {
    {"av_channels", "audio/video channel count", 1, kNum},
    {"audio_channels", "audio channel count", 1, kNum},
    {"video_channels", "video channel count", 1, kNum},
};
constexpr LayoutField kChannel[] = {
    {"physical_channel", "physical channel number", 1, kNum},
    {"logical_channel", "logical channel number", 1, kNum},
    Valued("channel_type", "channel type", 1, kNum, kChannelType),
    Valued("ptz", "PTZ connected", 1, kNum, kNoYes),
};
constexpr LayoutField kChannelCount[] = {{"channel_count", "channel count", 1, kNum}};
constexpr LayoutField kSpecialAlarm[] = {
    {"storage_threshold", "storage threshold (% of main storage)", 1, kNum},
    {"duration", "recording duration (min)", 1, kNum},
    {"start", "recording start (min before the alarm)", 1, kNum},
};
constexpr LayoutField kAlarmMask[] = {Valued("mask", "masked alarms", 4, kBits, kVideoAlarms)};
constexpr LayoutField kImageAnalysis[] = {
    {"passenger_capacity", "rated passenger capacity", 1, kNum},
    {"fatigue_threshold", "fatigue threshold", 1, kNum},
};
constexpr LayoutField kSleepWake[] = {
    Valued("wake_modes", "wake-up modes", 1, kBits, kWakeModes),
    Valued("wake_conditions", "wake-up conditions", 1, kBits, kWakeConditions),
    Valued("wake_days", "timed wake-up days", 1, kBits, kWeekdays),
    Valued("periods", "timed wake-up periods enabled", 1, kBits, kPeriods),
    {"period_1_wake", "period 1 wake-up time", 2, kTime},
    {"period_1_sleep", "period 1 shut-down time", 2, kTime},
    {"period_2_wake", "period 2 wake-up time", 2, kTime},
    {"period_2_sleep", "period 2 shut-down time", 2, kTime},
    {"period_3_wake", "period 3 wake-up time", 2, kTime},
    {"period_3_sleep", "period 3 shut-down time", 2, kTime},
    {"period_4_wake", "period 4 wake-up time", 2, kTime},
    {"period_4_sleep", "period 4 shut-down time", 2, kTime},
};

// The active-safety layouts, as SmallChi/JTActiveSafety reads them; ADAS and
// DSM share their first 19 bytes.
constexpr const char* kPhotoStrategy[] = {"off", "timed", "by distance"};
constexpr const char* kPhotoResolution[] = {"", "352x288", "704x288", "704x576", "640x480", "1280x720", "1920x1080"};
constexpr const char* kVideoResolution[] = {"", "CIF", "HD1", "D1", "WD1", "VGA", "720P", "1080P"};
#define GPENC_ACTIVE_SAFETY_COMMON                                                                         \
  {"speed_threshold", "alarm speed threshold (km/h)", 1, kNum}, {"volume", "alarm volume (0-8)", 1, kNum}, \
      Valued("photo_strategy", "active photograph strategy", 1, kNum, kPhotoStrategy),                     \
      {"photo_interval", "timed photograph interval (s)", 2, kNum},                                        \
      {"photo_distance", "photograph distance interval (m)", 2, kNum},                                     \
      {"photo_count", "photographs per shot", 1, kNum},                                                    \
      {"photo_count_interval", "interval between photographs (100 ms)", 1, kNum},                          \
      Valued("photo_resolution", "photograph resolution", 1, kNum, kPhotoResolution),                      \
      Valued("video_resolution", "video recording resolution", 1, kNum, kVideoResolution),                 \
      {"alarm_enable", "alarm enable bits", 4, kBits}, {                                                   \
    "event_enable", "event enable bits", 4, kBits                                                          \
  }
#define GPENC_ALARM_GRADE(key, what)                                           \
  {key "_speed", what " alarm grading speed threshold (km/h)", 1, kNum},       \
      {key "_video", what " alarm video before and after (s)", 1, kNum},       \
      {key "_photos", what " alarm photographs", 1, kNum}, {                   \
    key "_photo_interval", what " alarm photograph interval (100 ms)", 1, kNum \
  }

constexpr LayoutField kAdas[] = {
    GPENC_ACTIVE_SAFETY_COMMON,
    {"reserved_1", "reserved", 1, kRaw},
    {"obstacle_distance", "obstacle alarm distance threshold (100 ms)", 1, kNum},
    GPENC_ALARM_GRADE("obstacle", "obstacle"),
    {"lane_change_period", "frequent lane change judging period (s)", 1, kNum},
    {"lane_change_count", "frequent lane change judging count", 1, kNum},
    GPENC_ALARM_GRADE("lane_change", "frequent lane change"),
    GPENC_ALARM_GRADE("departure", "lane departure"),
    {"collision_time", "forward collision alarm time threshold (100 ms)", 1, kNum},
    GPENC_ALARM_GRADE("collision", "forward collision"),
    {"pedestrian_time", "pedestrian collision alarm time threshold (100 ms)", 1, kNum},
    {"pedestrian_speed", "pedestrian collision alarm enabling speed threshold (km/h)", 1, kNum},
    {"pedestrian_video", "pedestrian collision alarm video before and after (s)", 1, kNum},
    {"pedestrian_photos", "pedestrian collision alarm photographs", 1, kNum},
    {"pedestrian_photo_interval", "pedestrian collision alarm photograph interval (100 ms)", 1, kNum},
    {"headway_distance", "headway alarm distance threshold (100 ms)", 1, kNum},
    GPENC_ALARM_GRADE("headway", "headway"),
    {"sign_photos", "road sign recognition photographs", 1, kNum},
    {"sign_photo_interval", "road sign recognition photograph interval (100 ms)", 1, kNum},
    {"reserved_2", "reserved", 4, kRaw},
};
constexpr LayoutField kDsm[] = {
    GPENC_ACTIVE_SAFETY_COMMON,
    {"smoking_interval", "smoking alarm judging interval (s)", 2, kNum},
    {"phone_interval", "phone call alarm judging interval (s)", 2, kNum},
    {"reserved_1", "reserved", 3, kRaw},
    GPENC_ALARM_GRADE("fatigue", "fatigue driving"),
    GPENC_ALARM_GRADE("phone", "phone call"),
    GPENC_ALARM_GRADE("smoking", "smoking"),
    {"distraction_speed", "distracted driving alarm grading speed threshold (km/h)", 1, kNum},
    {"distraction_photos", "distracted driving alarm photographs", 1, kNum},
    {"distraction_photo_interval", "distracted driving alarm photograph interval (100 ms)", 1, kNum},
    {"abnormal_video", "abnormal driving video recording time (s)", 1, kNum},
    {"abnormal_photos", "abnormal driving photographs", 1, kNum},
    {"abnormal_photo_interval", "abnormal driving photograph interval (100 ms)", 1, kNum},
    {"driver_id_trigger", "driver identification trigger", 1, kNum},
    {"reserved_2", "reserved", 2, kRaw},
};
#undef GPENC_ACTIVE_SAFETY_COMMON
#undef GPENC_ALARM_GRADE
constexpr const char* kPressureUnit[] = {"kg/cm2", "bar", "kPa", "PSI"};
constexpr LayoutField kTpms[] = {
    {"tyre_model", "tyre model", 12, kChars},
    Valued("pressure_unit", "tyre pressure unit", 2, kNum, kPressureUnit),
    {"normal_pressure", "normal tyre pressure", 2, kNum},
    {"imbalance_threshold", "pressure imbalance alarm threshold (%)", 2, kNum},
    {"slow_leak_threshold", "slow leak alarm threshold (%)", 2, kNum},
    {"low_pressure", "low pressure alarm threshold", 2, kNum},
    {"high_pressure", "high pressure alarm threshold", 2, kNum},
    {"high_temperature", "high temperature alarm threshold (degrees C)", 2, kNum},
    {"voltage_threshold", "voltage alarm threshold (%)", 2, kNum},
    {"report_interval", "timed report interval (s)", 2, kNum},
    {"reserved", "reserved", 6, kRaw},
};
constexpr LayoutField kBsd[] = {
    {"rear_time", "rear approach alarm time threshold (s)", 1, kNum},
    {"side_rear_time", "side-rear approach alarm time threshold (s)", 1, kNum},
};

template <std::size_t K>
constexpr ParamLayout Fixed(const LayoutField (&fields)[K]) {
    return {fields, K};
}

constexpr struct {
    std::uint32_t id;
    ParamLayout layout;
} kLayouts[] = {
    {0x0075, {kVideo + 1, kVideoSettings + 1}},
    {0x0076, {kChannelCounts, 3, 3, kChannel, 4, "channels", "channel"}},
    {0x0077, {kChannelCount, 1, 1, kVideo, kVideoSettings + 1, "channels", "channel"}},
    {0x0079, Fixed(kSpecialAlarm)},
    {0x007A, Fixed(kAlarmMask)},
    {0x007B, Fixed(kImageAnalysis)},
    {0x007C, Fixed(kSleepWake)},
    {0xF364, Fixed(kAdas)},
    {0xF365, Fixed(kDsm)},
    {0xF366, Fixed(kTpms)},
    {0xF367, Fixed(kBsd)},
};

constexpr std::size_t Width(const LayoutField* f, std::size_t n) { return n ? f->width + Width(f + 1, n - 1) : 0; }

// Each fixed layout is as long as the table above says its value is.
constexpr std::size_t FixedWidth(std::uint32_t id) {
    for (const auto& l : kLayouts)
        if (l.id == id) return Width(l.layout.head, l.layout.headCount);
    return 0;
}
static_assert(FixedWidth(0x0075) == 21 && FixedWidth(0x0079) == 3 && FixedWidth(0x007A) == 4 &&
              FixedWidth(0x007B) == 2 && FixedWidth(0x007C) == 20 && Width(kVideo, kVideoSettings + 1) == 21 &&
              Width(kChannel, 4) == 4);
static_assert(FixedWidth(0xF364) == 56 && FixedWidth(0xF365) == 47 && FixedWidth(0xF366) == 36 &&
              FixedWidth(0xF367) == 2);

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

ParamInfo LookupExtension(std::uint32_t id) {
    const ParamRow* row = FindRow(kExtensionParams, id);
    if (!row) return {};
    return {row->type, row->name, row->size, kActiveSafety};
}

const ParamLayout* FindLayout(std::uint32_t id) {
    for (const auto& l : kLayouts)
        if (l.id == id) return &l.layout;
    return nullptr;
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
