// Many threads encode on their own objects while the host keeps changing the
// session id: every frame must carry one whole id that was set at some point.
#include "LogCapture.h"

#include <gtest/gtest.h>
#include <log4cplus/loglevel.h>
#include <log4cplus/nullappender.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using Bytes = std::vector<unsigned char>;

// Id k is sixteen bytes of k, so a frame that mixed two ids shows unequal bytes.
void SetId(unsigned char k) {
    unsigned char id[16];
    std::fill(std::begin(id), std::end(id), k);
    gpenc::test::host::SetSession(id);
}

// Every record is composed, as for a host that logs everything, and dropped.
class LogEverything {
public:
    LogEverything() : level_(logger().getLogLevel()) {
        logger().removeAllAppenders();
        logger().addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
        logger().setLogLevel(log4cplus::DEBUG_LOG_LEVEL);
    }
    ~LogEverything() {
        logger().removeAllAppenders();
        logger().setLogLevel(level_);
    }

private:
    static log4cplus::Logger& logger() { return NSLog::CLog::_logger; }
    log4cplus::LogLevel level_;
};

// The builders the workers take turns with: the plain frame, a text command,
// and the 808-tunnelled settings, which run a CEncoder_Standard inside.
const std::function<bool(CEncoder&, Bytes&)> kBuilds[] = {
    [](CEncoder& e, Bytes& out) { return e.CommonData(2, out); },
    [](CEncoder& e, Bytes& out) { return e.Subscription(7, "abc", out); },
    [](CEncoder& e, Bytes& out) {
        sEquipset s{"13800138000", "", 0, "60", "", {}, 1, {}, 0x8103};  // a heartbeat of 60 s
        return e.EquipSet(&s, out);
    },
    [](CEncoder& e, Bytes& out) {
        sEquipControl_SetIC s;
        s.terminalNo = s.stSetIC.strPhoneNo = "13800138000";
        s.stSetIC.byStandard = 0;
        s.stSetIC.tmCardDate = 1741305600;  // 2025-03-07
        return e.EquipSet_ICInfoSet(s, out);
    },
    [](CEncoder& e, Bytes& out) {
        sEquip_AlarmSet a;
        a.terminalNo = "13800138000";
        a.vecAreas.resize(2);
        return e.EquipAlarmSet(&a, out);
    },
};

TEST(ThreadTest, EveryFrameCarriesOneWholeSessionId) {
    LogEverything log;
    SetId(1);
    std::atomic<bool> stop{false};
    std::thread changer([&] {
        for (unsigned k = 0; !stop.load(); ++k) SetId(static_cast<unsigned char>(1 + k % 255));
    });

    constexpr int kThreads = 4, kFrames = 500;
    std::atomic<int> bad{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kFrames; ++i) {
                CEncoder e;
                Bytes out;
                if (!kBuilds[(t + i) % std::size(kBuilds)](e, out) || out.size() < 30) {
                    ++bad;
                    continue;
                }
                const unsigned char first = out[6];
                if (first == 0 || !std::all_of(out.begin() + 6, out.begin() + 22,
                                               [&](unsigned char b) { return b == first; }))
                    ++bad;
            }
        });
    }
    for (auto& w : workers) w.join();
    stop = true;
    changer.join();
    EXPECT_EQ(bad.load(), 0);
    const unsigned char zero[16] = {};
    gpenc::test::host::SetSession(zero);
}

}  // namespace
