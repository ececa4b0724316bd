#pragma once

#include "ctlcommands.h"
#include "ctlconsole.h"
#include "ctlsession.h"

#include <istream>
#include <string>

namespace kelvoctl {

enum ExitStatus { kDone = 0, kFailed = 1, kUsage = 2 };

// The words of a command line, split at blanks.
Args splitWords(const std::string& line);

// Runs kelvoctl commands, one line after another, over one session with the controller.
class CtlShell {
public:
    explicit CtlShell(CtlSession& ctl) : ctl_(ctl), console_(ctl.console()) {}

    // One command and its arguments; "help [COMMAND]" and "COMMAND --help" are answered here.
    int run(const Args& words);
    // Blank lines and lines starting with '#' do nothing.
    int runLine(const std::string& line);
    // Lines from in until its end or "quit". A terminal gets a prompt and carries on after a
    // failure; a script stops at its first failing command and returns its status.
    int loop(std::istream& in, bool terminal);

private:
    CtlSession& ctl_;
    CtlConsole& console_;
};

// For a command named on kelvoctl's own command line: its action, or the exit status of what
// was answered instead (help, a usage error, an unknown command).
struct Prepared {
    const Command* command = nullptr;
    Action action;
    int status = kDone;
};
Prepared prepare(CtlConsole& console, const Args& words);

}  // namespace kelvoctl
