#include "simchild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace kelvoctl {

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kQuitTimeoutMs = 3000;

void closeAll(std::initializer_list<int> fds) {
    for (const int fd : fds) {
        if (fd >= 0)
            close(fd);
    }
}

// argv is built before the fork: the child of a threaded process must not allocate.
[[noreturn]] void becomeSimulator(int in, int out, const std::vector<const char*>& argv) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    execv(argv[0], const_cast<char* const*>(argv.data()));
    _exit(127);
}

}  // namespace

bool SimChild::start(const std::string& program, const std::string& address,
                     const std::vector<std::string>& extraArguments) {
    if (access(program.c_str(), X_OK) != 0) {
        error_ = "cannot run " + program;
        return false;
    }
    // Writing to a simulator that has gone must not end kelvoctl.
    signal(SIGPIPE, SIG_IGN);
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        closeAll({in[0], in[1], out[0], out[1]});
        error_ = "cannot create pipes";
        return false;
    }
    std::vector<const char*> argv = {program.c_str(), "--listen", address.c_str()};
    for (const std::string& argument : extraArguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0)
        becomeSimulator(in[0], out[1], argv);
    closeAll({in[0], out[1]});
    toSim_ = in[1];
    fromSim_ = out[0];
    if (pid_ < 0) {
        error_ = "cannot start " + program;
        stop();
        return false;
    }
    if (!awaitListening()) {
        stop();
        return false;
    }
    return true;
}

// Reads its standard output up to the line that says it listens.
bool SimChild::awaitListening() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    std::string seen;
    while (seen.find("listening on") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd ready{fromSim_, POLLIN, 0};
        char buffer[256];
        if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) <= 0) {
            error_ = "kelvo-sim did not start listening";
            return false;
        }
        const ssize_t got = read(fromSim_, buffer, sizeof buffer);
        if (got <= 0) {
            error_ = "kelvo-sim ended before it listened (is the address in use?)";
            return false;
        }
        seen.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

bool SimChild::command(const std::string& line) {
    const std::string text = line + "\n";
    return toSim_ >= 0 &&
           write(toSim_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void SimChild::stop() {
    if (pid_ > 0) {
        command("quit");  // when it has already gone, it is waited for below
        int status = 0;
        for (int waited = 0; waited < kQuitTimeoutMs && waitpid(pid_, &status, WNOHANG) == 0;
             waited += 50)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
    }
    closeAll({toSim_, fromSim_});
    pid_ = -1;
    toSim_ = -1;
    fromSim_ = -1;
}

}  // namespace kelvoctl
