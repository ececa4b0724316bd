// A query answers with the controller's state after its question, while the controller pushes
// answer words unasked and other threads ask other questions.

#include "apitest.h"

#include <atomic>
#include <functional>

namespace {

constexpr int kQueries = 5000;

// One kind of question: how the controller's answer is scripted, and how the session reads it.
struct Getter {
    uint16_t query;
    uint16_t answer;
    int values;  // the answers cycle through 0 .. values - 1
    std::function<std::string(int)> payload;
    std::function<int(KelvoSession*, int*)> read;
};

std::string text(int v) {
    return std::to_string(v);
}

const Getter kGetters[] = {
    {0x2602, 0x2603, 100, [](int v) { return json(R"({"robot":1,"speed":)" + text(v) + "}"); },
     kelvo_get_jogging_speed},
    {0x2102, 0x2103, 3, [](int v) { return json(R"({"mode":)" + text(v) + "}"); },
     [](KelvoSession* s, int* v) { return kelvo_get_current_mode(s, v); }},
    {0x2202, 0x2203, 100, [](int v) { return json(R"({"coord":)" + text(v) + R"(,"robot":1})"); },
     kelvo_get_current_coord},
    {0x3602, 0x3603, 100, [](int v) { return json(R"({"status":[0,)" + text(v) + "]}"); },
     [](KelvoSession* s, int* v) {
         double outputs[16] = {};
         const int status = kelvo_get_dout(s, outputs);
         *v = static_cast<int>(outputs[1]);
         return status;
     }},
};

// Changes the controller's answer, then asks; counts answers that are not the new value.
int staleAnswers(SimProcess& sim, KelvoSession* session, const Getter& getter, int queries) {
    int stale = 0;
    for (int i = 0; i < queries; ++i) {
        const int value = i % getter.values;
        if (!sim.reply(getter.query, getter.answer, getter.payload(value)))
            return -1;
        int read = -1;
        stale += getter.read(session, &read) != KELVO_OK || read != value;
    }
    return stale;
}

}  // namespace

TEST(Freshness, NoStaleAnswerWhileTheControllerPushesFromOneThreadAndFromFour) {
    SimSession c("127.0.6.50");
    ASSERT_NE(c.session, nullptr);
    // Pushes the current-position report and the digital-input report, unasked, at about 200 Hz.
    std::atomic<bool> stop{false};
    std::atomic<int> pushes{0};
    std::thread pusher([&] {
        for (; !stop; ++pushes, sleepMs(5)) {
            c.sim.report(0x2F08, json(R"({"coord":)" + text(pushes % 2) +
                                      R"(,"pos":[1,2,3,4,5,6,7],"robot":1})"));
            c.sim.report(0x3606, json(R"({"status":[)" + text(pushes % 2) + "]}"));
        }
    });

    int stale = 0;
    for (int i = 0; i < kQueries; ++i)
        stale += staleAnswers(c.sim, c.session, kGetters[i % 4], 1);
    EXPECT_EQ(stale, 0) << "of " << kQueries << " queries from one thread";

    std::atomic<int> staleFromFour{0};
    std::vector<std::thread> threads;
    for (const Getter& getter : kGetters) {
        threads.emplace_back(
            [&] { staleFromFour += staleAnswers(c.sim, c.session, getter, kQueries / 4); });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(staleFromFour, 0) << "of " << kQueries << " queries from four threads";
    EXPECT_GT(pushes, 50);  // at about 200 Hz while the queries ran
    stop = true;
    pusher.join();
    kelvo_close(c.session);
}
