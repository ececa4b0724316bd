// A host that connected, queried and logged exits with status 0 when main returns, promptly.

#include "apitest.h"

#include <sys/wait.h>
#include <unistd.h>

TEST(Exit, AHostExitsWithStatusZeroAfterAConnectedSession) {
    SimProcess sim("127.0.6.12");
    ASSERT_TRUE(sim.listening());
    ASSERT_TRUE(sim.reply(0x3602, 0x3603, json(R"({"status":[1]})")));

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/proc/self/exe", "test_api", "--host-session", "127.0.6.12",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (!eventually([&] { return waitpid(child, &status, WNOHANG) != 0; }, 30000)) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the host hung at exit";
    }
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::optional<WireFrame> frame = sim.nextFrame();
    EXPECT_TRUE(frame && frame->command == 0x3602) << "the session's query reached the simulator";
}
