#include "ctlshell.h"

#include <sstream>

namespace kelvoctl {

namespace {

bool asksForHelp(const Args& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}

}  // namespace

Args splitWords(const std::string& line) {
    std::istringstream stream(line);
    Args words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

Prepared prepare(CtlConsole& console, const Args& words) {
    Prepared prepared;
    const Args args(words.begin() + 1, words.end());
    if (words[0] == "help") {
        const Command* command = args.empty() ? nullptr : findCommand(args[0]);
        if (command) {
            printCommandHelp(console, *command);
        } else {
            console.line("commands:");
            printCommandList(console);
        }
        return prepared;
    }
    prepared.command = findCommand(words[0]);
    if (!prepared.command) {
        console.error("unknown command '" + words[0] + "' (help lists the commands)");
        prepared.status = kUsage;
        return prepared;
    }
    if (asksForHelp(args)) {
        printCommandHelp(console, *prepared.command);
        prepared.command = nullptr;
        return prepared;
    }
    try {
        prepared.action = prepared.command->prepare(args);
    } catch (const UsageError& error) {
        console.error(error.what());
        console.hint(std::string("usage: ") + prepared.command->name + " " +
                     prepared.command->synopsis);
        prepared.status = kUsage;
    }
    return prepared;
}

int CtlShell::run(const Args& words) {
    const Prepared prepared = prepare(console_, words);
    if (!prepared.action)
        return prepared.status;
    return prepared.action(ctl_) ? kDone : kFailed;
}

int CtlShell::runLine(const std::string& line) {
    const Args words = splitWords(line);
    if (words.empty() || words[0][0] == '#')
        return kDone;
    return run(words);
}

int CtlShell::loop(std::istream& in, bool terminal) {
    int status = kDone;
    std::string line;
    for (;;) {
        if (terminal)
            console_.prompt("kelvo> ");
        if (!std::getline(in, line))
            break;
        const Args words = splitWords(line);
        if (!words.empty() && (words[0] == "quit" || words[0] == "exit"))
            break;
        status = runLine(line);
        if (status != kDone && !terminal)
            return status;
    }
    return terminal ? kDone : status;
}

}  // namespace kelvoctl
