// Noise on the control port, with the library's debug lines on stderr as every host gets them: a
// false frame header and a burst of garbage cost no answer and write no flood of lines.

#include "apitest.h"

namespace {

constexpr uint16_t kQuerySpeed = 0x2602;
constexpr uint16_t kSpeedReport = 0x2603;
constexpr int kBurstCommands = 100;
constexpr int kBytesPerCommand = 60000;

std::string speed(int value) {
    return json(R"({"robot":1,"speed":)" + std::to_string(value) + "}");
}

// Sums "head error, N bytes skipped" over the lines.
long long skippedBytes(const std::vector<std::string>& lines) {
    const std::string marker = "head error, ";
    long long total = 0;
    for (const std::string& line : lines) {
        const size_t at = line.find(marker);
        if (at != std::string::npos)
            total += std::stoll(line.substr(at + marker.size()));
    }
    return total;
}

}  // namespace

TEST(Noise, AFalseHeaderAndAGarbageBurstLeaveQueriesAnsweredAndTheLogShort) {
    SimProcess sim("127.0.6.70");
    StderrCapture log;
    connectTo(sim, "127.0.6.70");

    ASSERT_TRUE(sim.reply(kQuerySpeed, kSpeedReport, speed(61)));
    ASSERT_TRUE(sim.command("raw " + consoleEscape("\x4E\x66\xFF\xF0")));
    int answer = 0;
    EXPECT_LT(elapsedMs([&] { answer = get_jogging_speed(); }), 1000);
    EXPECT_EQ(answer, 61);
    EXPECT_EQ(log.countContaining("length error, 4 bytes skipped"), 1);

    ASSERT_TRUE(sim.reply(kQuerySpeed, kSpeedReport, speed(62)));
    for (int i = 0; i < kBurstCommands; ++i)
        ASSERT_TRUE(sim.command("garbage " + std::to_string(kBytesPerCommand)));
    EXPECT_LT(elapsedMs([&] { answer = get_jogging_speed(); }), 1000);
    EXPECT_EQ(answer, 62);

    // Every byte is told, in a few lines: heartbeat answers cut the burst into runs.
    EXPECT_EQ(skippedBytes(log.lines()), 1LL * kBurstCommands * kBytesPerCommand);
    EXPECT_LE(log.countContaining("head error"), 10);
}
