#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A frame the simulator received from the library, as kelvo-sim printed it.
struct WireFrame {
    int connection = 0;
    uint16_t command = 0;
    std::string payload;
};

// kelvo-sim as a child process on address:6000, driven through its console: the test host stays
// a plain program without Qt. The child dies with the host.
class SimProcess {
public:
    // Scripted: the simulator keeps no controller state and the test scripts every answer.
    // Simulated: it keeps a controller's state and answers as one.
    enum class Controller { Scripted, Simulated };
    // Frames: every frame and connection is echoed, for nextFrame() and accepted(). Quiet: none
    // is, so the simulator answers as fast as it can (benchmarks).
    enum class Echo { Frames, Quiet };

    // extraArguments go to kelvo-sim after its own (for instance --job-dir DIR).
    explicit SimProcess(const std::string& address,
                        const std::vector<std::string>& extraArguments = {},
                        Controller controller = Controller::Scripted, Echo echo = Echo::Frames);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // True once the simulator listens.
    bool listening() const;

    // One console line; true when the simulator answered "ok".
    bool command(const std::string& line);
    // A report to every connection; the payload goes out byte for byte.
    bool report(uint16_t command, const std::string& payload);
    // Answers every frame with command word `command` by `replyCommand` with payload.
    bool reply(uint16_t command, uint16_t replyCommand, const std::string& payload);

    // The next frame from the library that is no heartbeat, within timeoutMs.
    std::optional<WireFrame> nextFrame(int timeoutMs = 3000);
    // Connections accepted so far.
    int accepted() const;
    // True once count connections have been accepted, within timeoutMs.
    bool waitForAccepted(int count, int timeoutMs);
    // Quits the simulator and waits for it.
    void stop();

private:
    void readOutput();
    void handleLine(const std::string& line);
    template <typename Condition>
    bool waitFor(Condition condition, int timeoutMs);

    pid_t pid_ = -1;
    int toSim_ = -1;
    int fromSim_ = -1;
    std::thread reader_;
    // One console command at a time: each waits for its own answer line, not another thread's.
    std::mutex commandMutex_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<WireFrame> frames_;
    bool listening_ = false;
    bool ended_ = false;
    int answers_ = 0;
    bool lastAnswerOk_ = false;
    int accepted_ = 0;
};

// Payload text for the console: '\' and line ends escaped, everything else as it is.
std::string consoleEscape(const std::string& bytes);
