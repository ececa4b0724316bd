// The flight recorder as a host sees it: dumps of a live session, automatic dumps on a loss. The
// dump's format and payload bytes are the recorder's own tests'.

#include "apitest.h"

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

constexpr uint16_t kTitleReport = 0x2C03;

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    const std::filesystem::directory_iterator entries(folder);
    return {begin(entries), end(entries)};
}

// The index of the first line from `from` on with these string members; lines.size() if none.
using Members = std::vector<std::pair<std::string, std::string>>;
std::size_t find(const std::vector<std::string>& lines, const Members& members,
                 std::size_t from = 0) {
    const auto has = [&](const std::string& line) {
        return std::all_of(members.begin(), members.end(), [&](const auto& m) {
            return line.find("\"" + m.first + "\":\"" + m.second + "\"") != std::string::npos;
        });
    };
    return std::find_if(lines.begin() + static_cast<long>(from), lines.end(), has) - lines.begin();
}

}  // namespace

// Dumps of a live session, also while other threads query, and automatic ones on a loss and at
// close, only while the trace folder is set.
TEST(Trace, DumpsFramesAndLinkEventsInOrderAlsoWhileOtherThreadsQueryAndOnLossAndClose) {
    const TempDir dir, folder;
    ASSERT_EQ(setenv("KELVO_TRACE_DIR", folder.path.c_str(), 1), 0);
    SimSession c("127.0.14.1", {}, kSimulated);
    KelvoSession* const session = c.session;
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(kelvo_set_trace_size(session, -1), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, nullptr), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, "/nonexistent-folder/trace.jsonl"), KELVO_ERR_IO);
    ASSERT_TRUE(c.sim.report(kTitleReport, "\xFF\xFE\x01 not text"));
    ASSERT_TRUE(c.sim.command("badcrc 0x2C03 x"));
    ASSERT_TRUE(c.sim.command("garbage 40"));
    int speed = 0;
    ASSERT_EQ(kelvo_get_jogging_speed(session, &speed), KELVO_OK);  // all of it has come

    const std::string path = (dir.path / "trace.jsonl").string();
    ASSERT_EQ(kelvo_dump_trace(session, path.c_str()), KELVO_OK);
    std::vector<std::string> lines = readLines(path);
    EXPECT_EQ(find(lines, {{"event", "connect"}}), 0u);
    // The answer after its question, the undecodable title kept byte for byte, the noise told.
    const Members answer = {
        {"word", "0x2603"}, {"dir", "in"}, {"name", "receivedSpeedInfo"}, {"link", "control"}};
    const Members title = {{"word", "0x2C03"},
                           {"name", "receivedRobotProgramTitle"},
                           {"payload_base64", "//4BIG5vdCB0ZXh0"}};
    const std::size_t sent =
        find(lines, {{"word", "0x2602"}, {"dir", "out"}, {"name", "QuerySpeed"}});
    EXPECT_LT(find(lines, answer, sent), lines.size());
    for (const Members& m :
         {title, Members{{"event", "crc_error"}}, Members{{"event", "skipped_bytes"}}})
        EXPECT_LT(find(lines, m), lines.size());

    ASSERT_EQ(kelvo_set_trace_size(session, 50), KELVO_OK);
    ASSERT_EQ(kelvo_set_reply_timeout(session, 10000), KELVO_OK);  // a loaded machine
    std::atomic<bool> stop{false};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 12; ++t) {
        threads.emplace_back([&] {
            int value = 0;
            while (!stop)
                failed += kelvo_get_jogging_speed(session, &value) != KELVO_OK;
        });
    }
    // Two seconds of queries from twelve threads: long enough for their questions to meet.
    const auto start = std::chrono::steady_clock::now();
    for (bool resized = false;
         std::chrono::steady_clock::now() - start < std::chrono::seconds(2);) {
        ASSERT_EQ(kelvo_dump_trace(session, path.c_str()), KELVO_OK);
        lines = readLines(path);
        EXPECT_LE(lines.size(), 50u);
        for (const std::string& line : lines)
            ASSERT_EQ(line.back(), '}') << line;
        if (!resized && std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
            resized = true;
            EXPECT_EQ(kelvo_set_trace_size(session, 10), KELVO_OK);
        }
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(readLines(path).size(), 10u);

    ASSERT_TRUE(c.sim.command("drop"));
    ASSERT_TRUE(eventually([&] { return !filesIn(folder.path).empty(); }));
    const std::vector<std::filesystem::path> dumps = filesIn(folder.path);
    ASSERT_EQ(dumps.size(), 1u) << "one dump for the loss";
    lines = readLines(dumps.front());
    EXPECT_EQ(find(lines, {{"event", "loss"}}) + 1, lines.size());
    EXPECT_NE(dumps.front().string().find("127.0.14.1"), std::string::npos) << "named by session";
    kelvo_close(session);
    EXPECT_EQ(filesIn(folder.path).size(), 2u) << "and one at close";

    ASSERT_EQ(unsetenv("KELVO_TRACE_DIR"), 0);
    kelvo_close(openSession("127.0.14.1"));
    EXPECT_EQ(filesIn(folder.path).size(), 2u) << "nothing without the variable";
}
