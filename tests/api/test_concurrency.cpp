// Several host threads query at once: every call returns, with the answer, and none times out.

#include "apitest.h"
#include "stderrcapture.h"

#include <atomic>
#include <vector>

TEST(Concurrency, FourHostThreadsQueryAtOnceWithoutDeadlockOrLostAnswers) {
    StderrCapture log;
    SimProcess sim("127.0.6.8");
    connectTo(sim, "127.0.6.8");
    ASSERT_TRUE(sim.reply(0x2F07, 0x2F08, json(R"({"pos":[1,2,3,4,5,6,7],"robot":1})")));
    ASSERT_TRUE(sim.reply(0x3602, 0x3603, json(R"({"status":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]})")));
    ASSERT_TRUE(sim.reply(0x2202, 0x2203, json(R"({"coord":1,"robot":1})")));
    set_reply_timeout(10000);
    constexpr int kThreads = 4;
    constexpr int kRounds = 50;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    const long long took = elapsedMs([&] {
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&wrong] {
                for (int round = 0; round < kRounds; ++round) {
                    double pos[6] = {};
                    double dout[16] = {};
                    get_current_position(pos, 0);
                    get_dout(dout);
                    if (pos[0] != 1 || pos[5] != 6 || dout[15] != 1 || get_current_coord() != 1)
                        ++wrong;
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
    });
    EXPECT_EQ(wrong, 0);
    EXPECT_LT(took, 30000);
    EXPECT_EQ(log.countContaining("no answer within"), 0);
}
