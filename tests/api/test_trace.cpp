// The flight recorder as a host sees it: dumps of a live session, automatic dumps on a loss.

#include "apitest.h"

#include <dirent.h>
#include <stdlib.h>

#include <atomic>
#include <fstream>
#include <vector>

namespace {

constexpr int kPort = 6000;
constexpr uint16_t kQuerySpeed = 0x2602;
constexpr uint16_t kTitleReport = 0x2C03;

std::string makeTempDir() {
    char dir[] = "/tmp/kelvo-trace-XXXXXX";
    EXPECT_NE(mkdtemp(dir), nullptr);
    return dir;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    DIR* dir = opendir(folder.c_str());
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            files.push_back(folder + "/" + entry->d_name);
    }
    closedir(dir);
    return files;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'n') {
            out += '\n';
        } else if (c == 'u') {  // only control characters are escaped this way
            out += static_cast<char>(std::stoi(text.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            out += c;
        }
    }
    return out;
}

// A member of a dumped line: strings unescaped, other values as written; empty when missing.
std::string field(const std::string& line, const std::string& key) {
    const std::string tag = "\"" + key + "\":";
    const std::size_t at = line.find(tag);
    if (at == std::string::npos)
        return std::string();
    std::size_t begin = at + tag.size();
    if (line[begin] != '"')
        return line.substr(begin, line.find_first_of(",}", begin) - begin);
    std::size_t end = ++begin;
    while (line[end] != '"')
        end += line[end] == '\\' ? 2 : 1;
    return unescape(line.substr(begin, end - begin));
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
    for (const std::string& line : lines) {
        if (field(line, "event") == event)
            return true;
    }
    return false;
}

KelvoSession* openSession(const char* address) {
    int error = KELVO_OK;
    KelvoSession* session = kelvo_open(address, kPort, 3000, &error);
    EXPECT_NE(session, nullptr) << kelvo_strerror(error);
    return session;
}

}  // namespace

TEST(Trace, FramesAndLinkEventsAgainstTheSimulatorInOrder) {
    SimProcess sim("127.0.14.1", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.14.1");
    ASSERT_NE(session, nullptr);

    int speed = 0;
    ASSERT_EQ(kelvo_get_jogging_speed(session, &speed), KELVO_OK);
    // The library may have asked something of its own first (the teach type, after the greeting).
    std::optional<WireFrame> query = sim.nextFrame();
    while (query && query->command != kQuerySpeed)
        query = sim.nextFrame();
    ASSERT_TRUE(query);
    const std::string text = "{\"title\":\"Gr\xC3\xBC\xC3\x9F\x65 \\\"job\\\"\"}\n";
    const std::string binary = "\xFF\xFE\x01 not text";
    ASSERT_TRUE(sim.report(kTitleReport, text));
    ASSERT_TRUE(sim.report(kTitleReport, binary));
    ASSERT_TRUE(sim.command("badcrc 0x2C03 x"));
    ASSERT_TRUE(sim.command("garbage 40"));
    ASSERT_EQ(kelvo_get_jogging_speed(session, &speed), KELVO_OK);  // all of it has come

    const std::string path = makeTempDir() + "/trace.jsonl";
    ASSERT_EQ(kelvo_dump_trace(session, path.c_str()), KELVO_OK);
    const std::vector<std::string> lines = readLines(path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(field(lines.front(), "event"), "connect");

    const std::size_t sent = findFrame(lines, "0x2602", "out");
    const std::size_t answer = findFrame(lines, "0x2603", "in", sent);
    ASSERT_LT(answer, lines.size());
    EXPECT_EQ(field(lines[sent], "name"), "QuerySpeed");
    EXPECT_EQ(field(lines[sent], "payload"), query->payload);
    EXPECT_EQ(field(lines[answer], "name"), "receivedSpeedInfo");
    EXPECT_EQ(field(lines[answer], "link"), "control");

    const std::size_t first = findFrame(lines, "0x2C03", "in", answer);
    const std::size_t second = findFrame(lines, "0x2C03", "in", first + 1);
    ASSERT_LT(second, lines.size());
    EXPECT_EQ(field(lines[first], "name"), "receivedRobotProgramTitle");
    EXPECT_EQ(field(lines[first], "payload"), text);
    EXPECT_EQ(field(lines[second], "payload_base64"), "//4BIG5vdCB0ZXh0");  // binary's bytes
    EXPECT_TRUE(hasEvent(lines, "crc_error"));
    EXPECT_TRUE(hasEvent(lines, "skipped_bytes"));
    // The last query may leave before the reports are read; its answer comes after them.
    EXPECT_LT(findFrame(lines, "0x2603", "in", second), lines.size()) << "the last answer";
    kelvo_close(session);
}

TEST(Trace, LossAndCloseWriteDumpsOnlyWithTheTraceFolderSet) {
    const std::string folder = makeTempDir();
    ASSERT_EQ(setenv("KELVO_TRACE_DIR", folder.c_str(), 1), 0);
    SimProcess sim("127.0.14.2", {}, SimProcess::Controller::Simulated);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.14.2");
    ASSERT_NE(session, nullptr);
    ASSERT_TRUE(sim.command("drop"));
    for (int waited = 0; filesIn(folder).empty() && waited < 5000; waited += 20)
        sleepMs(20);
    std::vector<std::string> dumps = filesIn(folder);
    ASSERT_EQ(dumps.size(), 1u) << "one dump for the loss";
    const std::vector<std::string> lines = readLines(dumps.front());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(field(lines.back(), "event"), "loss");
    EXPECT_NE(dumps.front().find("127.0.14.2"), std::string::npos) << "named by session";
    kelvo_close(session);
    EXPECT_EQ(filesIn(folder).size(), 2u) << "and one at close";

    ASSERT_EQ(unsetenv("KELVO_TRACE_DIR"), 0);
    session = openSession("127.0.14.2");
    ASSERT_NE(session, nullptr);
    kelvo_close(session);
    EXPECT_EQ(filesIn(folder).size(), 2u) << "nothing without the variable";
}

TEST(Trace, DumpsWhileOtherThreadsQuery) {
    SimProcess sim("127.0.14.3", {}, SimProcess::Controller::Simulated, SimProcess::Echo::Quiet);
    ASSERT_TRUE(sim.listening());
    KelvoSession* session = openSession("127.0.14.3");
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(kelvo_set_trace_size(session, -1), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, nullptr), KELVO_ERR_INVALID);
    EXPECT_EQ(kelvo_dump_trace(session, "/nonexistent-folder/trace.jsonl"), KELVO_ERR_IO);
    ASSERT_EQ(kelvo_set_trace_size(session, 50), KELVO_OK);

    std::atomic<bool> stop{false};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([&] {
            int speed = 0;
            while (!stop)
                failed += kelvo_get_jogging_speed(session, &speed) != KELVO_OK;
        });
    }
    const std::string path = makeTempDir() + "/trace.jsonl";
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(kelvo_dump_trace(session, path.c_str()), KELVO_OK);
        const std::vector<std::string> lines = readLines(path);
        EXPECT_LE(lines.size(), 50u);
        for (const std::string& line : lines) {
            ASSERT_EQ(line.back(), '}') << line;
        }
        if (i == 20) {
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
