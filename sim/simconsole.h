#pragma once

#include "link/framedecoder.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSocketNotifier>

#include <functional>
#include <optional>

namespace kelvo::sim {

class SimCell;
class SimController;

// kelvo-sim's line interface, for hosts that drive the simulator as a separate process. Commands
// come one per line on standard input; each is answered "ok <line>" or "error <line>" on standard
// output. With echo on, standard output also gets "accepted <connection>" for every connection
// and one line per frame: "in|out <connection> 0x<word> <payload>", the payload escaped as
// escapeLine writes it. See README.md for the commands.
class SimConsole : public QObject {
    Q_OBJECT

public:
    SimConsole(SimController& controller, bool echo, QObject* parent = nullptr);

    // Runs one command line and prints its answer.
    void execute(const QByteArray& line);

private:
    using Args = QList<QByteArray>;
    // A handler gets the fixed arguments and the escaped payload text that may follow them.
    using Handler = bool (SimConsole::*)(const Args& args, const std::optional<QByteArray>& text);
    struct Command {
        const char* name;
        int fixedArgs;
        bool payloadAllowed;
        Handler run;
    };
    static const Command kCommands[];

    bool report(const Args& args, const std::optional<QByteArray>& text);
    bool reply(const Args& args, const std::optional<QByteArray>& text);
    bool mode(const Args& args, const std::optional<QByteArray>& text);
    bool delay(const Args& args, const std::optional<QByteArray>& text);
    bool changes(const Args& args, const std::optional<QByteArray>& text);
    bool heartbeats(const Args& args, const std::optional<QByteArray>& text);
    bool drop(const Args& args, const std::optional<QByteArray>& text);
    bool reboot(const Args& args, const std::optional<QByteArray>& text);
    bool split(const Args& args, const std::optional<QByteArray>& text);
    bool push(const Args& args, const std::optional<QByteArray>& text);
    bool chaos(const Args& args, const std::optional<QByteArray>& text);
    bool garbage(const Args& args, const std::optional<QByteArray>& text);
    bool badCrc(const Args& args, const std::optional<QByteArray>& text);
    bool rawBytes(const Args& args, const std::optional<QByteArray>& text);
    bool din(const Args& args, const std::optional<QByteArray>& text);
    bool ain(const Args& args, const std::optional<QByteArray>& text);
    bool alarm(const Args& args, const std::optional<QByteArray>& text);
    bool clear(const Args& args, const std::optional<QByteArray>& text);
    bool select(const Args& args, const std::optional<QByteArray>& text);
    bool tool(const Args& args, const std::optional<QByteArray>& text);
    bool user(const Args& args, const std::optional<QByteArray>& text);
    bool quit(const Args& args, const std::optional<QByteArray>& text);

    // A command on the controller's state: false without one (--scripted) or with an argument
    // that is no whole number.
    bool onCell(const Args& args, const std::function<bool(SimCell&, const QList<int>&)>& act);

    void readInput();
    void printFrameIn(int connection, quint16 command, const QByteArray& payload);
    void printBytesOut(int connection, const QByteArray& bytes);
    static void printLine(const QByteArray& line);

    SimController& controller_;
    QSocketNotifier input_;
    QByteArray pendingInput_;
    QHash<int, FrameDecoder> outDecoders_;
};

}  // namespace kelvo::sim
