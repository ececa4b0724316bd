// A query answers with the controller's state after its question, while the controller pushes
// answer words unasked and other threads ask other questions.

#include "apitest.h"

#include <atomic>
#include <functional>
#include <vector>

namespace {

constexpr int kQueries = 5000;

// Pushes the current-position report and the digital-input report, unasked, at about 200 Hz.
class Pusher {
public:
    explicit Pusher(SimProcess& sim)
        : thread_([this, &sim] {
              for (int n = 0; !stop_; ++n) {
                  sim.report(0x2F08, json(R"({"coord":)" + std::to_string(n % 2) +
                                          R"(,"pos":[1,2,3,4,5,6,7],"robot":1})"));
                  sim.report(0x3606, json(R"({"status":[)" + std::to_string(n % 2) + "]}"));
                  ++pushes;
                  sleepMs(5);
              }
          }) {}
    ~Pusher() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<int> pushes{0};

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// One kind of question: how the controller's answer is scripted, and how the session reads it.
struct Getter {
    const char* what;
    uint16_t query;
    uint16_t answer;
    std::function<std::string(int)> payload;
    std::function<int(KelvoSession*, int*)> read;
};

const std::vector<Getter>& getters() {
    static const std::vector<Getter> all = {
        {"speed", 0x2602, 0x2603,
         [](int v) { return json(R"({"robot":1,"speed":)" + std::to_string(v) + "}"); },
         kelvo_get_jogging_speed},
        {"mode", 0x2102, 0x2103,
         [](int v) { return json(R"({"mode":)" + std::to_string(v % 3) + "}"); },
         [](KelvoSession* s, int* v) { return kelvo_get_current_mode(s, v); }},
        {"coord", 0x2202, 0x2203,
         [](int v) { return json(R"({"coord":)" + std::to_string(v) + R"(,"robot":1})"); },
         kelvo_get_current_coord},
        {"dout", 0x3602, 0x3603,
         [](int v) { return json(R"({"status":[0,)" + std::to_string(v) + "]}"); },
         [](KelvoSession* s, int* v) {
             double outputs[16] = {};
             const int status = kelvo_get_dout(s, outputs);
             *v = static_cast<int>(outputs[1]);
             return status;
         }},
    };
    return all;
}

// Changes the controller's answer, then asks; counts answers that are not the new value.
int staleAnswers(SimProcess& sim, KelvoSession* session, const Getter& getter, int queries) {
    int stale = 0;
    for (int i = 0; i < queries; ++i) {
        const int value = getter.what == std::string("mode") ? i % 3 : i % 100;
        if (!sim.reply(getter.query, getter.answer, getter.payload(value)))
            return -1;
        int read = -1;
        if (getter.read(session, &read) != KELVO_OK || read != value)
            ++stale;
    }
    return stale;
}

}  // namespace

TEST(Freshness, NoStaleAnswerWhileTheControllerPushesFromOneThreadAndFromFour) {
    SimProcess sim("127.0.6.50");
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.6.50");
    ASSERT_NE(session, nullptr);
    Pusher pusher(sim);

    int stale = 0;
    for (int i = 0; i < kQueries; ++i) {
        const Getter& getter = getters()[i % getters().size()];
        stale += staleAnswers(sim, session, getter, 1);
    }
    EXPECT_EQ(stale, 0) << "of " << kQueries << " queries from one thread";

    std::atomic<int> staleFromFour{0};
    std::vector<std::thread> threads;
    for (const Getter& getter : getters()) {
        threads.emplace_back(
            [&, getter] { staleFromFour += staleAnswers(sim, session, getter, kQueries / 4); });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(staleFromFour, 0) << "of " << kQueries << " queries from four threads";
    EXPECT_GT(pusher.pushes, 50);  // at about 200 Hz while the queries ran
    kelvo_close(session);
}
