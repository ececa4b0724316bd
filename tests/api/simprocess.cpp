#include "simprocess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;
constexpr uint16_t kHeartBeat = 0x7266;

std::string hexWord(uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x ", word);
    return text;
}

void writeAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<size_t>(n);
    }
}

// The console's escaped text back to bytes.
std::string consoleUnescape(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            bytes += text[i];
            continue;
        }
        const char name = text[++i];
        const size_t named = std::string("nrt").find(name);
        if (name == 'x') {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += named != std::string::npos ? "\n\r\t"[named] : name;
        }
    }
    return bytes;
}

}  // namespace

std::string consoleEscape(const std::string& bytes) {
    std::string text;
    for (const char c : bytes)
        text += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    return text;
}

SimProcess::SimProcess(const std::string& address, const std::vector<std::string>& extraArguments,
                       Controller controller, Echo echo) {
    std::vector<const char*> argv = {KELVO_SIM_PATH, "--listen", address.c_str()};
    if (echo == Echo::Frames)
        argv.push_back("--verbose");
    if (controller == Controller::Scripted)
        argv.push_back("--scripted");
    for (const std::string& argument : extraArguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0 || (pid_ = fork()) < 0)
        return;  // listening() tells
    // argv is built before the fork: the child of a threaded process must not allocate.
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(open("/dev/null", O_WRONLY), STDERR_FILENO);
        execv(KELVO_SIM_PATH, const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    toSim_ = in[1];
    fromSim_ = out[0];
    reader_ = std::thread([this] { readOutput(); });
    waitFor([this] { return listening_ || ended_; }, kStartTimeoutMs);
}

template <typename Condition>
bool SimProcess::waitFor(Condition condition, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), condition);
}

SimProcess::~SimProcess() {
    stop();
}

bool SimProcess::listening() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return listening_ && !ended_;
}

void SimProcess::stop() {
    if (pid_ <= 0)
        return;
    writeAll(toSim_, "quit\n");
    close(toSim_);
    int status = 0;
    for (int i = 0; i < 50 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
        usleep(100 * 1000);
    if (waitpid(pid_, &status, WNOHANG) == 0 && kill(pid_, SIGKILL) == 0)
        waitpid(pid_, &status, 0);
    pid_ = -1;
    reader_.join();
    close(fromSim_);
}

bool SimProcess::command(const std::string& line) {
    const std::lock_guard<std::mutex> oneAtATime(commandMutex_);
    std::unique_lock<std::mutex> lock(mutex_);
    const int before = answers_;
    writeAll(toSim_, line + "\n");
    const bool answered = changed_.wait_for(lock, std::chrono::milliseconds(kAnswerTimeoutMs),
                                            [&] { return answers_ > before || ended_; });
    return answered && answers_ > before && lastAnswerOk_;
}

bool SimProcess::report(uint16_t command, const std::string& payload) {
    return this->command("report " + hexWord(command) + consoleEscape(payload));
}

bool SimProcess::reply(uint16_t command, uint16_t replyCommand, const std::string& payload) {
    return this->command("reply " + hexWord(command) + hexWord(replyCommand) +
                         consoleEscape(payload));
}

std::optional<WireFrame> SimProcess::nextFrame(int timeoutMs) {
    waitFor([this] { return !frames_.empty() || ended_; }, timeoutMs);
    const std::lock_guard<std::mutex> lock(mutex_);
    if (frames_.empty())
        return std::nullopt;
    WireFrame frame = std::move(frames_.front());
    frames_.pop_front();
    return frame;
}

int SimProcess::accepted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return accepted_;
}

bool SimProcess::waitForAccepted(int count, int timeoutMs) {
    return waitFor([&] { return accepted_ >= count; }, timeoutMs);
}

void SimProcess::readOutput() {
    std::string pending;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fromSim_, buffer, sizeof buffer)) > 0) {
        pending.append(buffer, static_cast<size_t>(got));
        size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            handleLine(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

// "in 1 0x2f07 <payload>", "ok ...", "error ...", "accepted 1", "kelvo-sim listening on ...".
void SimProcess::handleLine(const std::string& line) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    std::lock_guard<std::mutex> lock(mutex_);
    if (kind == "in") {
        WireFrame frame;
        std::string payload;
        words >> frame.connection >> std::hex >> frame.command;
        if (words.get() == ' ' && std::getline(words, payload))
            frame.payload = consoleUnescape(payload);
        if (frame.command != kHeartBeat)
            frames_.push_back(std::move(frame));
    } else if (kind == "ok" || kind == "error") {
        ++answers_;
        lastAnswerOk_ = kind == "ok";
    }
    accepted_ += kind == "accepted";
    listening_ = listening_ || kind == "kelvo-sim";
    changed_.notify_all();
}
