// A session's calls meet work of its own thread at any moment: a transfer connect or a link attempt
// the network leaves hanging, a report handled over time. Each call returns within its bound,
// refuses what it must, and nothing is freed under work still running.

#include "apitest.h"
#include "hanginglistener.h"

#include <functional>
#include <string>

namespace {

constexpr int kPort = 6000;
constexpr uint16_t kPositionerSwitchReport = 0x700F;

KelvoSession* open(const char* address, int port = kPort, int timeoutMs = 3000) {
    int error = KELVO_OK;
    KelvoSession* session = kelvo_open(address, port, timeoutMs, &error);
    EXPECT_NE(session, nullptr) << kelvo_strerror(error);
    return session;
}

}  // namespace

// The network answers nothing; the library's own deadline ends the wait.
TEST(Lifecycle, OpenAndCloseKeepTheirBoundsWhileConnectRequestsGoUnanswered) {
    struct Bounded {
        const char* what;
        long long boundMs;
        // Readies the listener and returns the call to time.
        std::function<std::function<void()>(HangingListener&, const char*)> prepare;
    };
    const Bounded cases[] = {
        {"kelvo_open with a 1000 ms timeout", 1000 + 100,
         [](HangingListener& listener, const char* address) {
             listener.fill();
             return std::function<void()>([&listener, address] {
                 int error = KELVO_OK;
                 EXPECT_EQ(kelvo_open(address, listener.port(), 1000, &error), nullptr);
                 EXPECT_EQ(error, KELVO_ERR_NOT_CONNECTED);
             });
         }},
        {"kelvo_close during a reconnect attempt", 1000,
         [](HangingListener& listener, const char* address) {
             KelvoSession* const session = open(address, listener.port());
             listener.dropQueued();  // the link is lost; the next attempt meets a full queue
             listener.fill();
             sleepMs(2500);  // past the link's next check tick: an attempt is under way
             return std::function<void()>([session] { kelvo_close(session); });
         }},
    };
    int row = 0;
    for (const Bounded& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string address = "127.0.27." + std::to_string(20 + row++);
        HangingListener listener(address.c_str(), HangingListener::Queue::Open);
        const std::function<void()> call = c.prepare(listener, address.c_str());
        EXPECT_LT(elapsedMs(call), c.boundMs);
    }
}

// The report's handler gives the coordinate change 100 ms before it tells its listeners; a close
// within that time must not free the Robot under it.
TEST(Lifecycle, CloseRightAfterAPositionerSwitchReport) {
    SimProcess sim("127.0.27.30");
    ASSERT_TRUE(sim.listening());
    for (int round = 0; round < 3; ++round) {
        KelvoSession* const session = open("127.0.27.30");
        ASSERT_NE(session, nullptr);
        ASSERT_TRUE(sim.waitForAccepted(round + 1, 3000));
        ASSERT_TRUE(sim.report(kPositionerSwitchReport, json(R"({"num":1})")));
        sleepMs(10 + 30 * round);
        EXPECT_LT(elapsedMs([&] { kelvo_close(session); }), 1000);
    }
}
