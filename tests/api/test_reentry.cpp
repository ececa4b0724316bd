// Calling back in from inside the event and log handlers: every call either works or returns
// KELVO_ERR_BUSY at once, and a close from inside a handler ends every wait on the session. A
// hang aborts the test process, so a deadlock fails instead of stalling the suite.

#include "apitest.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <future>

namespace {

constexpr int kHangMs = 10000;

// Runs call in a thread of its own; a call that has not returned within kHangMs is a deadlock.
template <typename Result>
Result withinHangBound(const char* what, std::function<Result()> call) {
    std::packaged_task<Result()> task(std::move(call));
    std::future<Result> result = task.get_future();
    std::thread(std::move(task)).detach();
    if (result.wait_for(std::chrono::milliseconds(kHangMs)) != std::future_status::ready) {
        std::fprintf(stderr, "%s did not return: deadlock\n", what);
        std::abort();
    }
    return result.get();
}

// pauseMs lets the host thread reach its wait first; boundMs is the call's bound.
struct Reentry {
    KelvoSession* session = nullptr;
    std::function<int(KelvoSession*)> call;
    int pauseMs = 0, boundMs = 500;
    std::atomic<bool> entered{false};
    std::atomic<int> status{1};  // not yet called
};

void ignoreEvent(const KelvoEvent*, void*) {}
void ignoreLog(int, const char*, const char*, void*) {}

void callInFromEvent(const KelvoEvent*, void* user) {
    auto* reentry = static_cast<Reentry*>(user);
    if (reentry->entered.exchange(true))
        return;
    sleepMs(reentry->pauseMs);
    EXPECT_LT(elapsedMs([&] { reentry->status = reentry->call(reentry->session); }),
              reentry->boundMs);
}

void callInFromLog(int, const char*, const char*, void* user) {
    callInFromEvent(nullptr, user);
}

int closing(KelvoSession* s) {
    kelvo_close(s);
    return KELVO_OK;
}

struct Case {
    const char* name;
    std::function<int(KelvoSession*)> call;
    int expected;          // of call, inside the handler
    int hostExpected = 0;  // of the host's clearing the event handler meanwhile
};

}  // namespace

// The handler calls in while a host thread waits in kelvo_set_event_handler for that delivery to
// end. A close from the handler wakes that wait.
TEST(Reentry, FromTheEventHandlerACallWorksOrIsBusyAndACloseWakesTheHost) {
    SimProcess sim("127.0.28.1", {}, kSimulated);
    ASSERT_TRUE(sim.listening());
    const Case cases[] = {
        {"close", closing, KELVO_OK, KELVO_ERR_CLOSED},
        {"pull once the handler is cleared",
         [](KelvoSession* s) {
             kelvo_set_event_handler(s, nullptr, nullptr);
             KelvoEvent e;
             return kelvo_next_event(s, &e, 1000);
         },
         KELVO_ERR_BUSY, KELVO_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KelvoSession* s = openSession("127.0.28.1");
        ASSERT_NE(s, nullptr);
        Reentry reentry{s, c.call, 300, 3500};  // at most a query's reply timeout
        ASSERT_EQ(kelvo_set_event_handler(s, callInFromEvent, &reentry), KELVO_OK);
        ASSERT_EQ(kelvo_set_jogging_speed(s, 7), KELVO_OK);
        ASSERT_TRUE(eventually([&] { return reentry.entered.load(); }));
        EXPECT_EQ(
            withinHangBound<int>("set_event_handler",
                                 [s] { return kelvo_set_event_handler(s, nullptr, nullptr); }),
            c.hostExpected);
        EXPECT_EQ(reentry.status, c.expected);
        if (c.hostExpected != KELVO_ERR_CLOSED)
            kelvo_close(s);
    }
}

TEST(Reentry, FromTheLogHandlerTheLogHandlerMayChangeAndSessionCallsAreBusy) {
    const SimSession sim("127.0.28.3");
    const Case cases[] = {
        {"restore the default output",
         [](KelvoSession*) { return kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG); },
         KELVO_OK},
        {"another handler",
         [](KelvoSession*) { return kelvo_set_log_handler(ignoreLog, nullptr, KELVO_LOG_DEBUG); },
         KELVO_OK},
        {"query",
         [](KelvoSession* s) {
             int v = 0;
             return kelvo_get_jogging_speed(s, &v);
         },
         KELVO_ERR_BUSY},
        {"set the event handler",
         [](KelvoSession* s) { return kelvo_set_event_handler(s, ignoreEvent, nullptr); },
         KELVO_ERR_BUSY},
        {"close (ignored)", closing, KELVO_OK},
    };
    KelvoSession* const s = sim.session;
    ASSERT_NE(s, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reentry reentry{s, c.call};
        ASSERT_EQ(kelvo_set_log_handler(callInFromLog, &reentry, KELVO_LOG_DEBUG), KELVO_OK);
        // A warning in this thread: the handler runs here.
        EXPECT_EQ(withinHangBound<int>("a logging call", [s] { return kelvo_set_aout(s, 1, NAN); }),
                  KELVO_ERR_INVALID);
        EXPECT_EQ(reentry.status, c.expected);
        ASSERT_EQ(kelvo_set_log_handler(nullptr, nullptr, KELVO_LOG_DEBUG), KELVO_OK);
        int connected = 0;
        EXPECT_EQ(kelvo_is_connected(s, &connected), KELVO_OK) << "the session is still open";
    }
    kelvo_close(s);
}
