// A session's calls meet work of its own thread at any moment: a transfer connect or a link attempt
// the network leaves hanging, a report handled over time. Each call returns within its bound,
// refuses what it must, and nothing is freed under work still running.

#include "apitest.h"
#include "hanginglistener.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr uint16_t kPositionerSwitchReport = 0x700F;

// A job folder with a file of its own, and a controller's folder with one the host lacks: a
// synchronisation ends in a transfer connect.
struct JobFolders : TempDir {
    JobFolders() {
        write("robotJob/R1/A.JBR", "host");
        write("controller/R1/B.JBR", "controller");
    }
    std::string controller() const { return (path / "controller").string(); }
};

// A call made while another thread's synchronisation is connecting to a transfer port that never
// answers; KELVO_ERR_CLOSED expected means the call ended the session.
struct DuringTransferConnect {
    const char* what;
    int (*call)(KelvoSession*, const char* jobDir);
    int expected;
};

}  // namespace

TEST(Lifecycle, CallsDuringATransferConnectAreRefusedOrCloseWithinTheBound) {
    const DuringTransferConnect cases[] = {
        {"a second synchronisation",
         [](KelvoSession* s, const char*) { return kelvo_sync_jobs(s); }, KELVO_ERR_BUSY},
        {"an upload", [](KelvoSession* s, const char*) { return kelvo_upload_job(s); },
         KELVO_ERR_BUSY},
        {"a new transfer port",
         [](KelvoSession* s, const char*) { return kelvo_set_transfer_port(s, 5001); },
         KELVO_ERR_BUSY},
        {"a new job folder", kelvo_set_job_dir, KELVO_ERR_BUSY},
        {"a close", [](KelvoSession* s, const char*) { return kelvo_close(s), KELVO_ERR_CLOSED; },
         KELVO_ERR_CLOSED},
    };
    for (const DuringTransferConnect& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string address = "127.0.27." + std::to_string(10 + (&c - cases));
        const JobFolders folders;
        SimProcess sim(address, {"--job-dir", folders.controller()});
        ASSERT_TRUE(sim.listening());
        HangingListener transferPort(address.c_str());
        KelvoSession* const session = openSession(address.c_str());
        ASSERT_NE(session, nullptr);
        ASSERT_EQ(kelvo_set_job_dir(session, folders.path.c_str()), KELVO_OK);
        ASSERT_EQ(kelvo_set_transfer_port(session, transferPort.port()), KELVO_OK);

        int started = KELVO_ERR_INVALID;
        std::thread sync([&] { started = kelvo_sync_jobs(session); });
        sleepMs(400);  // the lists are in; the transfer connect waits for its 1 s deadline
        int result = KELVO_OK;
        EXPECT_LT(elapsedMs([&] { result = c.call(session, folders.path.c_str()); }), 1000);
        sync.join();
        EXPECT_EQ(started, KELVO_OK);
        EXPECT_EQ(result, c.expected) << kelvo_strerror(result);
        if (c.expected == KELVO_ERR_CLOSED)
            continue;
        sleepMs(1500);  // the connect has failed: nothing runs any more
        EXPECT_EQ(kelvo_set_transfer_port(session, transferPort.port()), KELVO_OK);
        kelvo_close(session);
    }
}

// The network answers nothing; the library's own deadline ends the wait. The bounds leave room for
// a loaded machine and the sanitizers: unloaded, the open takes its 1000 ms, the close under 1 ms.
TEST(Lifecycle, OpenAndCloseKeepTheirBoundsWhileConnectRequestsGoUnanswered) {
    HangingListener full("127.0.27.20", HangingListener::Queue::Open);
    full.fill();
    int error = KELVO_OK;
    EXPECT_LT(elapsedMs([&] {
                  EXPECT_EQ(kelvo_open("127.0.27.20", full.port(), 1000, &error), nullptr);
              }),
              1000 + 500);
    EXPECT_EQ(error, KELVO_ERR_NOT_CONNECTED);

    HangingListener lost("127.0.27.21", HangingListener::Queue::Open);
    KelvoSession* const session = openSession("127.0.27.21", lost.port());
    lost.dropQueued();  // the link is lost; the next attempt meets a full queue
    lost.fill();
    sleepMs(2500);  // past the link's next check tick: an attempt is under way
    EXPECT_LT(elapsedMs([session] { kelvo_close(session); }), 1000)
        << "close during a reconnect attempt";
}

// The report's handler gives the coordinate change 100 ms before it tells its listeners; a close
// within that time must not free the Robot under it.
TEST(Lifecycle, CloseRightAfterAPositionerSwitchReport) {
    SimProcess sim("127.0.27.30");
    ASSERT_TRUE(sim.listening());
    for (int round = 0; round < 3; ++round) {
        KelvoSession* const session = openSession("127.0.27.30");
        ASSERT_NE(session, nullptr);
        ASSERT_TRUE(sim.waitForAccepted(round + 1, 3000));
        ASSERT_TRUE(sim.report(kPositionerSwitchReport, json(R"({"num":1})")));
        sleepMs(10 + 30 * round);
        EXPECT_LT(elapsedMs([&] { kelvo_close(session); }), 1000);
    }
}

// Only the session's thread touches its transfer: a synchronisation and a change of job folder from
// two threads at once get OK or BUSY, nothing else.
TEST(Lifecycle, SynchronisingWhileAnotherThreadChangesTheJobFolder) {
    const JobFolders folders;
    const SimSession sim("127.0.27.40", {"--job-dir", folders.controller()});
    KelvoSession* const session = sim.session;
    ASSERT_NE(session, nullptr);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    const auto okOrBusy = [](int status) { return status == KELVO_OK || status == KELVO_ERR_BUSY; };
    std::atomic<int> unexpected{0};
    std::thread syncing([&] {
        for (; std::chrono::steady_clock::now() < until; sleepMs(1))
            unexpected += !okOrBusy(kelvo_sync_jobs(session));
    });
    while (std::chrono::steady_clock::now() < until)
        unexpected += !okOrBusy(kelvo_set_job_dir(session, folders.path.c_str()));
    syncing.join();
    EXPECT_EQ(unexpected, 0);
    kelvo_close(session);
}
