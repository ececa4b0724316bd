#pragma once

#include "ctlconsole.h"
#include "ctlsession.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvoctl {

using Args = std::vector<std::string>;

// Arguments a command cannot take: its usage is shown and kelvoctl exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command does once its arguments are read: true when it did what was asked.
using Action = std::function<bool(CtlSession& ctl)>;

// One kelvoctl command, run over the library's session calls on a connected controller.
struct Command {
    const char* name;
    const char* synopsis;  // arguments, after the name
    const char* summary;
    const char* details;  // for COMMAND --help
    bool needsController;
    // Reads the arguments, before anything is connected; throws UsageError.
    Action (*prepare)(const Args& args);
};

// For the commands' two steps: the argument checks of prepare (they throw UsageError), and the
// failure line of the action.
void expectArgs(const Args& args, size_t least, size_t most);
template <typename T>
T required(const std::optional<T>& value, const std::string& what) {
    if (!value)
        throw UsageError(what);
    return *value;
}
bool fail(CtlConsole& console, const std::string& why);

const Command* findCommand(const std::string& name);
void printCommandList(CtlConsole& console);
void printCommandHelp(CtlConsole& console, const Command& command);

}  // namespace kelvoctl
