#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kelvoctl {

// kelvo-sim as a child process that dies with kelvoctl: started on an address, stopped through
// its console, which also drives it.
class SimChild {
public:
    SimChild() = default;
    ~SimChild() { stop(); }
    SimChild(const SimChild&) = delete;
    SimChild& operator=(const SimChild&) = delete;

    // True once it listens on address:6000; otherwise error() says why. extraArguments follow
    // kelvo-sim's own (for instance --job-dir DIR).
    bool start(const std::string& program, const std::string& address,
               const std::vector<std::string>& extraArguments = {});
    // A line for its console (kelvo-sim --help lists the commands); false when it has gone.
    bool command(const std::string& line);
    // Asks it to quit and waits for it; kills it when it does not go within three seconds.
    void stop();
    const std::string& error() const { return error_; }

private:
    bool awaitListening();

    pid_t pid_ = -1;
    int toSim_ = -1;
    int fromSim_ = -1;
    std::string error_;
};

}  // namespace kelvoctl
