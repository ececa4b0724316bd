// kelvoctl: remote control of a robot controller through the kelvo library's exported C functions
// (a session of its own), as any host program would use them. See usage() below, or kelvoctl help.

#include "ctlcommands.h"
#include "ctlconsole.h"
#include "ctldemo.h"
#include "ctlfiles.h"
#include "ctlshell.h"
#include "ctltext.h"
#include "kelvo.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

using namespace kelvoctl;

namespace fs = std::filesystem;

namespace {

constexpr const char* kSimulator = "kelvo-sim";

struct Options {
    std::string ip;
    std::string jobDir = ".";
    int timeoutMs = -1;
    bool verbose = false;
    bool help = false;
    Args words;  // the command and its arguments
};

void usage(CtlConsole& console) {
    for (const char* line : {
             "usage: kelvoctl --ip ADDR [OPTIONS] COMMAND [ARGS]",
             "       kelvoctl --ip ADDR [OPTIONS]                    commands from standard input",
             "       kelvoctl demo [--address ADDR] [--sim PATH]     a session with the simulator",
             "       kelvoctl help [COMMAND]                         this text, or a command's",
             "",
             "Remote control of a robot controller (TCP port 6000) through the kelvo library.",
             "In interactive mode one connection serves every command. COMMAND --help explains",
             "a command and the library calls behind it (s: kelvoctl's session).",
             "",
             "options:",
             "  --ip ADDR       the controller's IP address",
             "  --timeout MS    how long a query waits for the controller's answer (default 3000)",
             "  --job-dir DIR   the folder holding robotJob/R1 to R4 for upload and sync",
             "                  (default: the current directory)",
             "  --verbose       show the library's own log on standard error",
             "",
             "commands:",
         })
        console.line(line);
    printCommandList(console);
}

// Reads the options before the command; false on one it does not know.
bool parseOptions(int argc, char** argv, Options* options) {
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            options->help = true;
        } else if (option == "--verbose") {
            options->verbose = true;
        } else if (option == "--ip" && i + 1 < argc) {
            options->ip = argv[++i];
        } else if (option == "--job-dir" && i + 1 < argc) {
            options->jobDir = argv[++i];
        } else if (option == "--timeout" && i + 1 < argc) {
            const std::optional<int> ms = wholeNumber(argv[++i], 0, INT_MAX);
            if (!ms)
                return false;
            options->timeoutMs = *ms;
        } else {
            return false;
        }
    }
    options->words.assign(argv + i, argv + argc);
    return true;
}

// The library logs through Qt: unless asked for, only the controller's own messages (alarms)
// are shown, marked with their category. The demo shows those as events.
void quietenLibraryLog(bool verbose, bool demo) {
    if (!verbose)
        setenv("QT_LOGGING_RULES",
               demo ? "kelvo.*.debug=false" : "kelvo.*.debug=false\nkelvo.log.debug=true", 0);
    setenv("QT_MESSAGE_PATTERN", "[%{category}] %{message}", 0);
}

// kelvo-sim beside kelvoctl, else the first on the PATH; the bare name when there is none, so
// that starting it fails with that name.
std::string simulatorPath() {
    const fs::path beside = programFolder() / kSimulator;
    if (access(beside.c_str(), X_OK) == 0)
        return beside.string();
    const char* const path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / kSimulator;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return kSimulator;
}

// Connects to the controller; the exit status when it cannot.
std::optional<int> connect(CtlSession& ctl, const Options& options) {
    CtlConsole& console = ctl.console();
    if (options.ip.empty()) {
        console.error("--ip ADDR is needed to reach a controller");
        return kUsage;
    }
    const int status = ctl.open(options.ip);
    if (status == KELVO_ERR_INVALID) {
        console.error("--ip needs an IP address, not " + options.ip);
        return kUsage;
    }
    if (status != KELVO_OK) {
        console.error("cannot connect to " + options.ip + ":6000 within " +
                      std::to_string(CtlSession::kOpenTimeoutMs / 1000) + " s (" +
                      failure("kelvo_open", status) + ")");
        return kFailed;
    }
    if (options.timeoutMs >= 0 &&
        !ctl.call("kelvo_set_reply_timeout", kelvo_set_reply_timeout, options.timeoutMs))
        return kFailed;
    if (!useJobFolder(ctl, options.jobDir))
        return kFailed;
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    CtlConsole console(std::cout, std::cerr, isatty(STDOUT_FILENO) == 1);
    CtlSession ctl(console);
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        usage(console);
        return kUsage;
    }
    quietenLibraryLog(options.verbose, !options.words.empty() && options.words[0] == "demo");
    if (options.help || (options.words.empty() && options.ip.empty())) {
        usage(console);
        return options.help ? kDone : kUsage;
    }
    if (options.words.empty()) {
        const bool terminal = isatty(STDIN_FILENO) == 1;
        if (const std::optional<int> failed = connect(ctl, options))
            return *failed;
        if (terminal)
            console.line("connected to " + options.ip + "; help lists the commands, quit ends");
        return CtlShell(ctl).loop(std::cin, terminal);
    }
    if (options.words[0] == "demo")
        return runDemo(console, Args(options.words.begin() + 1, options.words.end()),
                       simulatorPath());
    if (options.words[0] == "help" && options.words.size() == 1) {
        usage(console);
        return kDone;
    }
    const Prepared prepared = prepare(console, options.words);
    if (!prepared.action)
        return prepared.status;
    if (prepared.command->needsController) {
        if (const std::optional<int> failed = connect(ctl, options))
            return *failed;
    }
    return prepared.action(ctl) ? kDone : kFailed;
}
