// The flight recorder as a host sees it: dumps of a live session, automatic dumps on a loss. The
// dump's format and payload bytes are the recorder's own tests'.

#include "apitest.h"

#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

constexpr uint16_t kTitleReport = 0x2C03;

std::vector<std::string> filesIn(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().string());
    return files;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A string member without escapes in a dumped line; empty when missing.
std::string field(const std::string& line, const std::string& key) {
    const std::string tag = "\"" + key + "\":\"";
    const std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::string();
    const std::size_t begin = at + tag.size();
    return line.substr(begin, line.find('"', begin) - begin);
}

// The index of the first line from `from` on with this word and direction; lines.size() if none.
std::size_t findFrame(const std::vector<std::string>& lines, const char* word, const char* dir,
                      std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (field(lines[i], "word") == word && field(lines[i], "dir") == dir)
            return i;
    }
    return lines.size();
}

bool hasEvent(const std::vector<std::string>& lines, const std::string& event) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return field(line, "event") == event; });
}

}  // namespace

TEST(Trace, DumpsFramesAndLinkEventsInOrderAlsoWhileOtherThreadsQuery) {
    SimProcess sim("127.0.14.1", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.14.1");
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(kelvo_set_trace_size(session, -1), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, nullptr), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, "/nonexistent-folder/trace.jsonl"), KELVO_ERR_IO);
    ASSERT_TRUE(sim.report(kTitleReport, "\xFF\xFE\x01 not text"));
    ASSERT_TRUE(sim.command("badcrc 0x2C03 x"));
    ASSERT_TRUE(sim.command("garbage 40"));
    int speed = 0;
    ASSERT_EQ(kelvo_get_jogging_speed(session, &speed), KELVO_OK);  // all of it has come

    const TempDir dir;
    const std::string path = (dir.path / "trace.jsonl").string();
    ASSERT_EQ(kelvo_dump_trace(session, path.c_str()), KELVO_OK);
    std::vector<std::string> lines = readLines(path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(field(lines.front(), "event"), "connect");
    const std::size_t sent = findFrame(lines, "0x2602", "out");
    const std::size_t answer = findFrame(lines, "0x2603", "in", sent);
    const std::size_t report = findFrame(lines, "0x2C03", "in");
    ASSERT_LT(answer, lines.size());
    ASSERT_LT(report, lines.size());
    EXPECT_EQ(field(lines[sent], "name"), "QuerySpeed");
    EXPECT_EQ(field(lines[answer], "name"), "receivedSpeedInfo");
    EXPECT_EQ(field(lines[answer], "link"), "control");
    EXPECT_EQ(field(lines[report], "name"), "receivedRobotProgramTitle");
    EXPECT_EQ(field(lines[report], "payload_base64"), "//4BIG5vdCB0ZXh0");
    EXPECT_TRUE(hasEvent(lines, "crc_error"));
    EXPECT_TRUE(hasEvent(lines, "skipped_bytes"));

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
    kelvo_close(session);
}

TEST(Trace, LossAndCloseWriteDumpsOnlyWithTheTraceFolderSet) {
    const TempDir folder;
    ASSERT_EQ(setenv("KELVO_TRACE_DIR", folder.path.c_str(), 1), 0);
    SimProcess sim("127.0.14.2", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.14.2");
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(sim.command("drop"));
    ASSERT_TRUE(eventually([&] { return !filesIn(folder.path).empty(); }));
    const std::vector<std::string> dumps = filesIn(folder.path);
    ASSERT_EQ(dumps.size(), 1u) << "one dump for the loss";
    const std::vector<std::string> lines = readLines(dumps.front());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(field(lines.back(), "event"), "loss");
    EXPECT_NE(dumps.front().find("127.0.14.2"), std::string::npos) << "named by session";
    kelvo_close(session);
    EXPECT_EQ(filesIn(folder.path).size(), 2u) << "and one at close";

    ASSERT_EQ(unsetenv("KELVO_TRACE_DIR"), 0);
    kelvo_close(openSession("127.0.14.2"));
    EXPECT_EQ(filesIn(folder.path).size(), 2u) << "nothing without the variable";
}
