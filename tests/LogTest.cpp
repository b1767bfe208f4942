// The logging and failure convention: records in order with level, text, file
// and line; nested failures; caught framework exceptions.
#include "Hex.h"
#include "LogCapture.h"

#include <gtest/gtest.h>
#include <log4cplus/loglevel.h>

#include <functional>
#include <new>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#endif

using gpenc::test::LogCapture;
using gpenc::test::Record;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr int D = 10000;
constexpr int E = 40000;
const std::string kFile = ".\\Encoder.cpp";

sUserLogin Login() { return {"t", "t", "t", "t", "t", "t", "t", "t"}; }

using Records = std::vector<Record>;

Records Join(std::initializer_list<Records> parts) {
    Records all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The entry record of CEncoder's `name`, `inner`, its exit record.
Records Step(const std::string& name, const Records& inner = {}) {
    return Join({{{D, "(CEncoder::" + name + ") 开始>>>>>", kFile, 0}},
                 inner,
                 {{D, "(CEncoder::" + name + ") 结束<<<<<", kFile, 0}}});
}

// Every record of one frame, the conversions' included, in order: the
// sequence the platform's log readers see, which no rework may change.
TEST(LogTest, WholeFrameRecordsInOrder) {
    // A conversion of a non-zero value turns its bytes around; a zero writes nothing.
    const Records turned = Step("ChangeOrder");
    const Records key0 = Step("UnsignedIntToUInt16");
    const Records word = Step("UnsignedIntToUInt16", turned);
    const Records dword = Step("UnsignedIntToUInt32", turned);
    const Records text = Step("GetParaStr");
    const Records hex = Step("Change16To10");
    const Records reset =
        Join({{{D, "(CEncoder::initParameterConfig） 开始>>>>>", kFile, 0}}, Step("initParameterConfig")});
    const Records expected = Step(
        "Cmd_sVideo",
        Join({Step("SetVideoParameterData",
                   Join({Step("SetOnceParameterData", Join({text, key0, dword})), reset,
                         Step("SetOnceParameterData", Join({word, dword})), reset,
                         Step("SetOnceParameterData", Join({text, word, dword})), reset,
                         Step("SetOnceParameterData", Join({dword, word, dword})), reset,
                         Step("SetOnceParameterData", Join({text, word, dword}))})),
              Step("SetBodyData", Join({hex, word, hex, word, dword})), Step("SetHeaderData", word)}));

    sVideo video{"e", "a", 0xff, "c", -2};
    CEncoder e;
    LogCapture log;
    Bytes out;
    ASSERT_TRUE(e.Cmd_sVideo(&video, out));
    EXPECT_EQ(log.records(), expected);
    EXPECT_EQ(expected.size(), 98u);
    // Each record names the line of its own logging statement.
    EXPECT_GT(log.records()[0].line, 0);
    EXPECT_NE(log.records()[0].line, log.records()[1].line);
}

// A call answers its level tests once: a level changed while it runs (here
// by its own appender) leaves its records whole and takes effect from the
// next call, and a call made inside one of its records answers anew and
// leaves the frame of the call it runs in as it would be alone.
TEST(LogTest, LevelChangedDuringACallTakesEffectFromTheNext) {
    // Row: a call, and its first record. The setting builds an object of
    // its own after that record, whose records belong to the call too.
    using Call = std::function<bool(CEncoder&, Bytes&)>;
    sEquipset heartbeat;
    heartbeat.terminalNo = "13912344323";
    heartbeat.strValue = "60";
    heartbeat.nSetParm = 1;
    const std::pair<Call, std::string> rows[] = {
        {[](CEncoder& e, Bytes& out) { return e.CommonData(2, out); }, "(CEncoder::CommonData) 开始>>>>>"},
        {[&](CEncoder& e, Bytes& out) {
             sEquipset h = heartbeat;  // the call appends its message to the record's text
             return e.EquipSet(&h, out);
         },
         "(CEncoder::EquipSet) 开始>>>>>"},
    };
    for (const auto& [call, first] : rows) {
        LogCapture log;
        CEncoder e;
        Bytes frame, inner;
        log.clear();
        ASSERT_TRUE(call(e, frame)) << first;
        const auto whole = log.texts();
        const Bytes alone = std::exchange(frame, {});
        log.clear();
        log.OnRecord([&, first = first](const Record& r) {
            if (r.text != first) return;
            NSLog::CLog::_logger.setLogLevel(log4cplus::OFF_LOG_LEVEL);
            EXPECT_TRUE(CEncoder().CommonData(4, inner));
        });
        ASSERT_TRUE(call(e, frame)) << first;
        log.OnRecord(nullptr);
        EXPECT_EQ(log.texts(), whole) << first;
        EXPECT_EQ(frame, alone) << first;
        EXPECT_EQ(inner.size(), 30u);
        log.clear();
        ASSERT_TRUE(call(e, frame)) << first;
        EXPECT_TRUE(log.records().empty()) << first;
    }
}

// A call made inside a record (an appender that encodes) has a reason of its
// own, renamed by nothing of the call it runs in, and leaves that call's
// reason as it was.
TEST(LogTest, CallInsideARecordKeepsTheOuterReason) {
    LogCapture log;
    sEquipset bad;
    bad.terminalNo = "1380013800x";
    bad.strValue = "1";
    bad.eParmMark = static_cast<EequipParameterMark>(1);
    bad.msgId = 0x8103;
    std::vector<std::string> inner;
    bool inside = false;
    log.OnRecord([&](const Record&) {
        if (std::exchange(inside, true)) return;
        Bytes out;
        EXPECT_FALSE(CEncoder_Standard().ParmSet_Get808ParmSetVector({}, out));
        inner.push_back(gpenc::LastFailure());
        EXPECT_TRUE(CEncoder().CommonData(2, out));
        inner.push_back(gpenc::LastFailure());
        inside = false;
    });
    CEncoder e;  // destroyed after the check: its records would run calls too
    Bytes out;
    EXPECT_FALSE(e.EquipSet(std::vector<sEquipset>{bad}, out));
    log.OnRecord(nullptr);
    EXPECT_EQ(gpenc::LastFailure(), "CEncoder::EquipSet: equipSets[0].terminalNo: not digit pairs: \"1380013800x\"");
    ASSERT_GT(inner.size(), 20u);
    for (std::size_t i = 0; i < inner.size(); i += 2) {
        EXPECT_EQ(inner[i], "CEncoder_Standard::ParmSet_Get808ParmSetVector: list: must not be empty") << i;
        EXPECT_EQ(inner[i + 1], "") << i;
    }
}

TEST(LogTest, LevelsOffWriteNothing) {
    sUserLogin good = Login(), bad = Login();
    bad.loginText2 = "";
    for (int level : {20000, 60000}) {  // DEBUG off; everything off
        LogCapture log(level);
        CEncoder e1, e2;
        Bytes out;
        EXPECT_TRUE(e1.UserLogin(&good, out));
        EXPECT_FALSE(e2.UserLogin(&bad, out));
        if (level == 20000) {
            EXPECT_EQ(log.errors().size(), 3u);
            EXPECT_EQ(log.records().size(), 3u);
        } else {
            EXPECT_TRUE(log.records().empty());
        }
    }
}

TEST(LogTest, ExceptionTextsCarryTheirContext) {
    const struct {
        const char* at;
        int occurrence;
        std::string error;
    } cases[] = {
        {"(CEncoder::GetParaStr) 结束<<<<<", 1,
         "(CEncoder::GetParaStr)运行失败,错误信息为: boom(要转换的字符串为paraStr= t"},
        {"(CEncoder::UnsignedIntToUInt16) 结束<<<<<", 2, "(CEncoder::UnsignedIntToUInt16)运行失败,错误信息为: boom(UInt16数字key= 1"},
        {"(CEncoder::UnsignedIntToUInt32) 结束<<<<<", 1, "(CEncoder::UnsignedIntToUInt32)运行失败,错误信息为: boom(UInt32数字key= 8"},
        {"(CEncoder::Change16To10) 结束<<<<<", 2, "(CEncoder::Change16To10)运行失败,错误信息为: boom1"},
        {"(CEncoder::SetHeaderData) 开始>>>>>", 1, "(CEncoder::SetHeaderData)运行失败,错误信息为: boom"},
    };
    for (const auto& c : cases) {
        sUserLogin l = Login();
        CEncoder e;
        Bytes out;
        LogCapture log;
        log.ThrowAt(c.at, c.occurrence);
        EXPECT_FALSE(e.UserLogin(&l, out)) << c.at;
        ASSERT_FALSE(log.errors().empty()) << c.at;
        EXPECT_EQ(log.errors().front().text, c.error);
        EXPECT_EQ(log.errors().back().text, "(CEncoder::UserLogin)运行失败");
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(gpenc::test::host::LiveExceptions(), 0);
}

// A caller's text and an exception message with characters of two-byte and
// four-byte UTF-8 reach the appender as the same characters, narrow (UTF-8) or
// wide (UTF-32, or UTF-16 with a surrogate pair on Windows) as log4cplus is built.
struct CallerTextRow {
    const char* name;
    const char* text;         // the caller's text, in its code page
    const wchar_t* message;   // thrown from the entry record unless null
    const log4cplus::tchar* logged;
    unsigned codePage;        // the ANSI code page the row needs on Windows
};

void PrintTo(const CallerTextRow& row, std::ostream* os) { *os << row.name; }

class CallerTextTest : public ::testing::TestWithParam<CallerTextRow> {};

TEST_P(CallerTextTest, ReachesTheAppenderWhole) {
    const CallerTextRow& row = GetParam();
#if defined(_WIN32)
    ASSERT_EQ(GetACP(), row.codePage) << "run under this ANSI code page";
#endif
    CEncoder e;
    LogCapture log;
    if (row.message != nullptr) log.ThrowAt("(CEncoder::Change16To10) 开始>>>>>", 1, row.message);
    EXPECT_EQ(GpencTestAccess::Change16To10(e, row.text), -1);
    std::vector<log4cplus::tstring> errors;
    for (std::size_t i = 0; i < log.records().size(); ++i)
        if (log.records()[i].level == E) errors.push_back(log.messages()[i]);
    EXPECT_EQ(errors, std::vector<log4cplus::tstring>{row.logged});
}

const CallerTextRow kCallerTexts[] = {
#if defined(_WIN32)
    // "0é你好" in GBK.
    {"RecordCodePage936", "0\xA8\xA6\xC4\xE3\xBA\xC3", nullptr,
     LOG4CPLUS_TEXT("(CEncoder::Change16To10)16进制遇到非法字符:0é你好"), 936},
    {"ExceptionCodePage936", "\xC4\xE3", L"é\U0001F600",
     LOG4CPLUS_TEXT("(CEncoder::Change16To10)运行失败,错误信息为: é\U0001F600你"), 936},
#else
    {"RecordUtf8", "0é\U0001F600", nullptr, LOG4CPLUS_TEXT("(CEncoder::Change16To10)16进制遇到非法字符:0é\U0001F600"), 0},
    {"ExceptionUtf8", "é\U0001F600", L"é\U0001F600",
     LOG4CPLUS_TEXT("(CEncoder::Change16To10)运行失败,错误信息为: é\U0001F600é\U0001F600"), 0},
    // The first and last character of each UTF-8 length.
    {"ExceptionUtf8Boundaries", "1", L"\x7f\x80\u07ff\u0800\uffff\U00010000\U0010ffff",
     LOG4CPLUS_TEXT("(CEncoder::Change16To10)运行失败,错误信息为: \x7f\u0080\u07ff\u0800\uffff\U00010000\U0010ffff1"), 0},
#endif
};
INSTANTIATE_TEST_SUITE_P(Rows, CallerTextTest, ::testing::ValuesIn(kCallerTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogTest, MessageIsCutToTheBuffer) {
    CEncoder e;
    Bytes out;
    LogCapture log;
    log.ThrowAt("(CEncoder::CommonData) 开始>>>>>", 1, std::wstring(600, L'x'));
    EXPECT_FALSE(e.CommonData(2, out));
    ASSERT_EQ(log.errors().size(), 1u);
    EXPECT_EQ(log.errors()[0].text, "(CEncoder::CommonData)运行失败,错误信息为: " + std::string(511, 'x'));
}

// Any other exception reaches the caller, and takes back the frame that was
// already written at the end of `out` when the exit record threw.
TEST(LogTest, OtherExceptionsReachTheCaller) {
    CEncoder e;
    Bytes out{0x99};
    LogCapture log;
    log.OnRecord([](const Record& r) {
        if (r.text == "(CEncoder::CommonData) 结束<<<<<") throw std::bad_alloc();
    });
    EXPECT_THROW(e.CommonData(2, out), std::bad_alloc);
    log.OnRecord(nullptr);
    EXPECT_EQ(out, Bytes{0x99});
}

}  // namespace
