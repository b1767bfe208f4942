// Threads encode at once on objects of their own, every record composed: each
// frame, and each thread's LastFailure, come out as on one thread alone.
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using Bytes = std::vector<unsigned char>;

// The builders the workers take turns with: the plain frame, a text command,
// the 808-tunnelled settings (a CEncoder_Standard inside), the card date in the
// local zone, and a refusal, which leaves its reason to its own thread.
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
    [](CEncoder& e, Bytes& out) { return e.Subscription(7, "", out); },
};

TEST(ThreadTest, EachThreadEncodesAsIfAlone) {
    gpenc::test::LogCapture log;  // at DEBUG: every record composed, on every thread
    std::vector<std::pair<Bytes, std::string>> alone;  // each build's frame and reason on this thread
    for (const auto& build : kBuilds) {
        CEncoder e;
        Bytes out;
        EXPECT_EQ(build(e, out), &build != &kBuilds[4]);
        alone.emplace_back(out, gpenc::LastFailure());
    }
    EXPECT_EQ(alone[4].second, "CEncoder::Subscription: text: must not be empty");

    constexpr int kThreads = 4, kFrames = 500;
    std::atomic<int> bad{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kFrames; ++i) {
                const std::size_t k = (t + i) % std::size(kBuilds);
                CEncoder e;
                Bytes out;
                kBuilds[k](e, out);
                if (out != alone[k].first || gpenc::LastFailure() != alone[k].second) ++bad;
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
