#pragma once

#include "kelvo.h"
#include "simprocess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// Command words as the controller speaks them.
namespace word {
constexpr uint16_t kServoReport = 0x2003;
constexpr uint16_t kQueryRunStatus = 0x3D02;
constexpr uint16_t kRunStatusReport = 0x3D03;
constexpr uint16_t kChangeRobotReport = 0x5003;
}  // namespace word

// A JSON payload as the library writes it: the text and one line feed.
inline std::string json(const std::string& text) {
    return text + "\n";
}

template <typename Call>
long long elapsedMs(Call call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

inline void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// True once condition holds, polled within timeoutMs.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 5000) {
    for (int waited = 0; !condition(); waited += 20) {
        if (waited > timeoutMs)
            return false;
        sleepMs(20);
    }
    return true;
}

// A folder of its own under /tmp, removed with everything in it.
struct TempDir {
    TempDir() {
        char name[] = "/tmp/kelvo-api-XXXXXX";
        path = mkdtemp(name) ? name : "/nonexistent";
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    // Writes a file below the folder, making the folders on its way.
    void write(const std::string& name, const std::string& text) const {
        std::filesystem::create_directories((path / name).parent_path());
        std::ofstream(path / name, std::ios::binary) << text;
    }
    std::filesystem::path path;
};

inline std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A session with the controller at address:port; on failure the test fails with the reason. A
// link on loopback needs no check tick: the open is quick.
inline KelvoSession* openSession(const char* address, int port = 6000) {
    int error = KELVO_OK;
    KelvoSession* session = nullptr;
    EXPECT_LT(elapsedMs([&] { session = kelvo_open(address, port, 3000, &error); }), 2000);
    EXPECT_NE(session, nullptr) << kelvo_strerror(error);
    return session;
}

// A simulator on address and a session with it; the test closes the session.
struct SimSession {
    explicit SimSession(const char* address, const std::vector<std::string>& options = {},
                        SimProcess::Controller controller = SimProcess::Controller::Scripted,
                        SimProcess::Echo echo = SimProcess::Echo::Frames)
        : sim(address, options, controller, echo),
          session(sim.listening() ? openSession(address) : nullptr) {}
    SimProcess sim;
    KelvoSession* const session;
};
constexpr SimProcess::Controller kSimulated = SimProcess::Controller::Simulated;

// Sends this process's standard error, where the library's log lines go, to a temporary file
// while it lives, and shows it again at the end, so a failing test still tells what was logged.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        dup2(file_, STDERR_FILENO);
    }
    ~StderrCapture() {
        const std::vector<std::string> all = lines();
        dup2(saved_, STDERR_FILENO);
        for (const std::string& line : all)
            std::fprintf(stderr, "%s\n", line.c_str());
        close(saved_);
        close(file_);
        unlink(path_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::vector<std::string> lines() const {
        std::fflush(stderr);
        return readLines(path_);
    }
    // Lines equal to text; with part, lines that contain it.
    int count(const std::string& text, bool part = false) const {
        int n = 0;
        for (const std::string& line : lines())
            n += part ? line.find(text) != std::string::npos : line == text;
        return n;
    }

private:
    char path_[32] = "/tmp/kelvo-api-stderr-XXXXXX";
    const int file_ = mkstemp(path_);
    const int saved_ = dup(STDERR_FILENO);
};

// The next frame the library sends is command with payload.
inline void expectNextFrame(SimProcess& sim, uint16_t command, const std::string& payload,
                            const std::string& what = std::string()) {
    SCOPED_TRACE(what);
    const std::optional<WireFrame> frame = sim.nextFrame();
    ASSERT_TRUE(frame.has_value()) << "no frame";
    EXPECT_EQ(frame->command, command) << std::hex << frame->command;
    EXPECT_EQ(frame->payload, payload);
}

// Nothing was sent since the last frame looked at: the next frame is a marker sent now.
inline void expectNothingSent(SimProcess& sim, const std::string& what) {
    stop_jogging(9999);
    expectNextFrame(sim, 0x2902, json(R"({"axis":9999})"), what + ": sent something");
}

// call sends nothing and logs line and ", nothing sent" once (a queue's size line may come beside),
// or logs nothing when line is empty.
inline void expectRefused(SimProcess& sim, const std::string& line,
                          const std::function<void()>& call) {
    const StderrCapture log;
    call();
    expectNothingSent(sim, line);
    const int lines = line.empty() ? 0 : 1;
    EXPECT_EQ(log.count("kelvo.api: " + line + ", nothing sent"), lines) << line;
    EXPECT_EQ(log.count("nothing sent", true), lines) << line;
    EXPECT_TRUE(lines || log.count("kelvo.api:", true) + log.count("kelvo.log:", true) == 0);
}

// Connects the library to the simulator listening on address:6000; once it returns, reports
// reach the library.
inline void connectTo(SimProcess& sim, const char* address) {
    ASSERT_TRUE(sim.listening());
    ASSERT_TRUE(connect_robot(address));
    ASSERT_TRUE(sim.waitForAccepted(1, 3000));
}

// Reports sent before this call have been handled by the library once it returns: the query it
// makes is answered after them on the same connection, and the pause lets the reports the library
// applies in its own thread (the robot selection) land. Takes the query off the frame stream.
inline void settle(SimProcess& sim) {
    ASSERT_TRUE(sim.reply(word::kQueryRunStatus, word::kRunStatusReport,
                          json(R"({"robot":1,"status":0})")));
    get_robot_running_state();
    sleepMs(200);
    for (std::optional<WireFrame> frame = sim.nextFrame(); frame; frame = sim.nextFrame()) {
        if (frame->command == word::kQueryRunStatus)
            return;
    }
    FAIL() << "the settling query was not seen";
}
