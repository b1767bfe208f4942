// Many threads encode on their own objects while the host keeps changing the
// session id: every frame must carry one whole id that was set at some point.
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Id k is sixteen bytes of k, so a frame that mixed two ids shows unequal bytes.
void SetId(unsigned char k) {
    unsigned char id[16];
    std::fill(std::begin(id), std::end(id), k);
    CSessionData::SetSession(id);
}

TEST(ThreadTest, EveryFrameCarriesOneWholeSessionId) {
    gpenc::test::LogCapture quiet(60000);
    SetId(1);
    std::atomic<bool> stop{false};
    std::thread changer([&] {
        for (unsigned k = 0; !stop.load(); ++k) SetId(static_cast<unsigned char>(1 + k % 255));
    });

    constexpr int kThreads = 4, kFrames = 2000;
    std::atomic<int> bad{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kFrames; ++i) {
                CEncoder e;
                std::vector<unsigned char> out;
                if (!e.CommonData(t % 2 == 0 ? 2 : 4, out) || out.size() != 30) {
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
    CSessionData::SetSession(zero);
}

}  // namespace
