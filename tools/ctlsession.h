#pragma once

#include "ctlconsole.h"
#include "kelvo.h"

#include <string>
#include <utility>

namespace kelvoctl {

// kelvoctl's session with the controller, and where it writes. Library calls go through call(),
// so that every failure is told with the library's reason and fails the command.
class CtlSession {
public:
    explicit CtlSession(CtlConsole& console) : console_(console) {}
    ~CtlSession() { close(); }
    CtlSession(const CtlSession&) = delete;
    CtlSession& operator=(const CtlSession&) = delete;

    // Links to the controller at ip:kControlPort, waiting up to kOpenTimeoutMs for one that is
    // still booting; KELVO_OK or kelvo_open's error code.
    int open(const std::string& ip);
    void close();

    CtlConsole& console() { return console_; }

    // function(session, args...) and its status, nothing told.
    template <typename Function, typename... Args>
    int status(Function function, Args&&... args) {
        return function(session_, std::forward<Args>(args)...);
    }
    // The same; true on KELVO_OK, else "error: name: reason" on the error stream.
    template <typename Function, typename... Args>
    bool call(const char* name, Function function, Args&&... args) {
        return succeeded(name, status(function, std::forward<Args>(args)...));
    }
    bool succeeded(const char* name, int status);

    static constexpr int kControlPort = 6000;
    static constexpr int kOpenTimeoutMs = 5000;

private:
    CtlConsole& console_;
    KelvoSession* session_ = nullptr;
};

// "name: the library's text for status".
std::string failure(const char* name, int status);

}  // namespace kelvoctl
