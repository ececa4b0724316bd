#include "simconsole.h"

#include "lineescape.h"
#include "rawframes.h"
#include "simcell.h"
#include "simcontroller.h"

#include <QCoreApplication>

#include <cstdio>

#include <unistd.h>

namespace kelvo::sim {

namespace {

std::optional<int> wholeNumber(const QByteArray& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// A pause or a size from the console: 0 to a minute's worth.
std::optional<int> amount(const QByteArray& text) {
    const std::optional<int> value = wholeNumber(text);
    return value && *value >= 0 && *value <= 60000 ? value : std::nullopt;
}

std::optional<quint16> commandWord(QByteArray text) {
    if (text.startsWith("0x"))
        text = text.mid(2);
    bool ok = false;
    const uint word = text.toUInt(&ok, 16);
    if (!ok || word > 0xFFFF)
        return std::nullopt;
    return static_cast<quint16>(word);
}

// The text up to the first space, taken off the front of rest together with that space.
QByteArray takeWord(QByteArray& rest) {
    const int end = rest.indexOf(' ');
    const QByteArray word = end < 0 ? rest : rest.left(end);
    rest = end < 0 ? QByteArray() : rest.mid(end + 1);
    return word;
}

QByteArray frameLine(const char* direction, int connection, quint16 command,
                     const QByteArray& payload) {
    return QByteArray(direction) + ' ' + QByteArray::number(connection) + " 0x" +
           QByteArray::number(command, 16).rightJustified(4, '0') + ' ' + escapeLine(payload);
}

struct ModeName {
    const char* name;
    SimMode mode;
};
constexpr ModeName kModeNames[] = {
    {"normal", SimMode::Normal},
    {"silent", SimMode::Silent},
    {"heartbeats", SimMode::HeartbeatsOnly},
};

}  // namespace

// clang-format off
const SimConsole::Command SimConsole::kCommands[] = {
    // report WORD [PAYLOAD]: a frame to every connection.
    {"report", 1, true, &SimConsole::report},
    // reply WORD REPLYWORD [PAYLOAD]: answer every WORD by REPLYWORD, echoing when no payload.
    {"reply", 2, true, &SimConsole::reply},
    // mode normal|silent|heartbeats
    {"mode", 1, false, &SimConsole::mode},
    // delay MS: answers wait this long.
    {"delay", 1, false, &SimConsole::delay},
    // changes report|quiet: accepted changes pushed unasked, or told only when asked.
    {"changes", 1, false, &SimConsole::changes},
    // heartbeats reply|ignore: 0x7266 replied to, or never.
    {"heartbeats", 1, false, &SimConsole::heartbeats},
    // drop: closes every connection.
    {"drop", 0, false, &SimConsole::drop},
    // reboot MS: drops every connection and listens again MS later.
    {"reboot", 1, false, &SimConsole::reboot},
    // split MS: every write in two pieces, MS apart; 0 ends it.
    {"split", 1, false, &SimConsole::split},
    // push HZ: the position and the inputs pushed HZ times a second; 0 stops.
    {"push", 1, false, &SimConsole::push},
    // chaos SEED [RATES]: the chaos mode on that seed ("reports=20,drops=0.05,..."); chaos off.
    {"chaos", 1, true, &SimConsole::chaos},
    // garbage N: N bytes that hold no frame.
    {"garbage", 1, false, &SimConsole::garbage},
    // badcrc WORD [PAYLOAD]: a frame whose CRC does not match.
    {"badcrc", 1, true, &SimConsole::badCrc},
    // raw BYTES: the bytes as they are, outside any frame.
    {"raw", 0, true, &SimConsole::rawBytes},
    // din PORT 0|1, ain PORT VALUE: the inputs, as the cell's wiring would set them.
    {"din", 2, false, &SimConsole::din},
    {"ain", 2, false, &SimConsole::ain},
    // alarm ROBOT: a servo alarm; clear ROBOT: clears it.
    {"alarm", 1, false, &SimConsole::alarm},
    {"clear", 1, false, &SimConsole::clear},
    // select MODE ROBOT: the robot selection, as the teach pendant changes it.
    {"select", 2, false, &SimConsole::select},
    // tool ROBOT N, user ROBOT N: the tool and user coordinate numbers in use.
    {"tool", 2, false, &SimConsole::tool},
    {"user", 2, false, &SimConsole::user},
    // quit
    {"quit", 0, false, &SimConsole::quit},
};
// clang-format on

SimConsole::SimConsole(SimController& controller, bool echo, QObject* parent)
    : QObject(parent), controller_(controller), input_(STDIN_FILENO, QSocketNotifier::Read, this) {
    connect(&input_, &QSocketNotifier::activated, this, &SimConsole::readInput);
    if (echo) {
        connect(&controller_, &SimController::clientAccepted, this,
                [](int connection) { printLine("accepted " + QByteArray::number(connection)); });
        connect(&controller_, &SimController::frameReceived, this, &SimConsole::printFrameIn);
        connect(&controller_, &SimController::bytesWritten, this, &SimConsole::printBytesOut);
    }
}

void SimConsole::readInput() {
    char buffer[4096];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
        // End of input (or a closed terminal): the simulator keeps running without commands.
        input_.setEnabled(false);
        return;
    }
    pendingInput_.append(buffer, static_cast<int>(got));
    int end = 0;
    while ((end = pendingInput_.indexOf('\n')) >= 0) {
        const QByteArray line = pendingInput_.left(end);
        pendingInput_.remove(0, end + 1);
        execute(line);
    }
}

void SimConsole::execute(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    QByteArray rest = trimmed;
    const QByteArray name = takeWord(rest);
    for (const Command& command : kCommands) {
        if (name != command.name)
            continue;
        Args args;
        while (args.size() < command.fixedArgs && !rest.isEmpty())
            args.append(takeWord(rest));
        const bool shapeOk =
            args.size() == command.fixedArgs && (command.payloadAllowed || rest.isEmpty());
        const std::optional<QByteArray> text =
            rest.isEmpty() ? std::nullopt : std::optional<QByteArray>(rest);
        const bool ok = shapeOk && (this->*command.run)(args, text);
        printLine((ok ? "ok " : "error ") + trimmed);
        return;
    }
    printLine("error " + trimmed);
}

bool SimConsole::report(const Args& args, const std::optional<QByteArray>& text) {
    const std::optional<quint16> word = commandWord(args[0]);
    const std::optional<QByteArray> payload = unescapeLine(text.value_or(QByteArray()));
    if (!word || !payload)
        return false;
    controller_.sendReport(*word, *payload);
    return true;
}

bool SimConsole::reply(const Args& args, const std::optional<QByteArray>& text) {
    const std::optional<quint16> word = commandWord(args[0]);
    const std::optional<quint16> replyWord = commandWord(args[1]);
    std::optional<QByteArray> payload;
    if (text) {
        payload = unescapeLine(*text);
        if (!payload)
            return false;
    }
    if (!word || !replyWord)
        return false;
    controller_.setReply(*word, *replyWord, payload);
    return true;
}

bool SimConsole::mode(const Args& args, const std::optional<QByteArray>&) {
    for (const ModeName& entry : kModeNames) {
        if (args[0] == entry.name) {
            controller_.setMode(entry.mode);
            return true;
        }
    }
    return false;
}

bool SimConsole::delay(const Args& args, const std::optional<QByteArray>&) {
    bool ok = false;
    const int ms = args[0].toInt(&ok);
    if (ok)
        controller_.setReplyDelay(ms);
    return ok;
}

bool SimConsole::changes(const Args& args, const std::optional<QByteArray>&) {
    if (args[0] != "report" && args[0] != "quiet")
        return false;
    controller_.setReportChanges(args[0] == "report");
    return true;
}

bool SimConsole::heartbeats(const Args& args, const std::optional<QByteArray>&) {
    if (args[0] != "reply" && args[0] != "ignore")
        return false;
    controller_.setHeartbeatReplies(args[0] == "reply");
    return true;
}

bool SimConsole::drop(const Args&, const std::optional<QByteArray>&) {
    controller_.dropConnections();
    return true;
}

bool SimConsole::reboot(const Args& args, const std::optional<QByteArray>&) {
    const std::optional<int> ms = amount(args[0]);
    if (ms)
        controller_.reboot(*ms);
    return ms.has_value();
}

bool SimConsole::split(const Args& args, const std::optional<QByteArray>&) {
    const std::optional<int> ms = amount(args[0]);
    if (ms)
        controller_.setSplitFrames(*ms);
    return ms.has_value();
}

bool SimConsole::push(const Args& args, const std::optional<QByteArray>&) {
    const std::optional<int> hz = wholeNumber(args[0]);
    return hz && controller_.setPushRate(*hz);
}

bool SimConsole::chaos(const Args& args, const std::optional<QByteArray>& text) {
    if (args[0] == "off" && !text) {
        controller_.chaos().stop();
        return true;
    }
    bool ok = false;
    const quint64 seed = args[0].toULongLong(&ok);
    const std::optional<SimChaosRates> rates =
        SimChaosRates::parse(QString::fromLatin1(text.value_or(QByteArray())));
    if (!ok || !rates)
        return false;
    controller_.chaos().start(seed, *rates);
    return true;
}

bool SimConsole::garbage(const Args& args, const std::optional<QByteArray>&) {
    const std::optional<int> size = amount(args[0]);
    if (size)
        controller_.sendRaw(raw::garbage(*size));
    return size.has_value();
}

bool SimConsole::badCrc(const Args& args, const std::optional<QByteArray>& text) {
    const std::optional<quint16> word = commandWord(args[0]);
    const std::optional<QByteArray> payload = unescapeLine(text.value_or(QByteArray()));
    if (!word || !payload)
        return false;
    controller_.sendRaw(raw::withBadCrc(*word, *payload));
    return true;
}

bool SimConsole::rawBytes(const Args&, const std::optional<QByteArray>& text) {
    const std::optional<QByteArray> bytes = unescapeLine(text.value_or(QByteArray()));
    if (!bytes)
        return false;
    controller_.sendRaw(*bytes);
    return true;
}

bool SimConsole::onCell(const Args& args,
                        const std::function<bool(SimCell&, const QList<int>&)>& act) {
    QList<int> numbers;
    for (const QByteArray& arg : args) {
        const std::optional<int> number = wholeNumber(arg);
        if (!number)
            return false;
        numbers.append(*number);
    }
    return controller_.cell() && act(*controller_.cell(), numbers);
}

bool SimConsole::din(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args, [](SimCell& cell, const QList<int>& n) { return cell.setDin(n[0], n[1]); });
}

bool SimConsole::ain(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args, [](SimCell& cell, const QList<int>& n) { return cell.setAin(n[0], n[1]); });
}

bool SimConsole::alarm(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args,
                  [](SimCell& cell, const QList<int>& n) { return cell.raiseServoAlarm(n[0]); });
}

bool SimConsole::clear(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args, [](SimCell& cell, const QList<int>& n) { return cell.clearAlarms(n[0]); });
}

bool SimConsole::select(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args, [](SimCell& cell, const QList<int>& n) { return cell.select(n[0], n[1]); });
}

bool SimConsole::tool(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args,
                  [](SimCell& cell, const QList<int>& n) { return cell.setTool(n[0], n[1]); });
}

bool SimConsole::user(const Args& args, const std::optional<QByteArray>&) {
    return onCell(args,
                  [](SimCell& cell, const QList<int>& n) { return cell.setUser(n[0], n[1]); });
}

bool SimConsole::quit(const Args&, const std::optional<QByteArray>&) {
    QCoreApplication::quit();
    return true;
}

void SimConsole::printFrameIn(int connection, quint16 command, const QByteArray& payload) {
    printLine(frameLine("in", connection, command, payload));
}

// Written bytes are cut into frames again; bytes that make no frame (injected garbage) print
// nothing.
void SimConsole::printBytesOut(int connection, const QByteArray& bytes) {
    auto decoder = outDecoders_.find(connection);
    if (decoder == outDecoders_.end())
        decoder = outDecoders_.insert(connection, FrameDecoder(FrameDecoder::HeadErrors::Silent));
    decoder->append(bytes);
    Frame frame;
    while (decoder->next(&frame))
        printLine(frameLine("out", connection, frame.command, frame.payload));
}

void SimConsole::printLine(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace kelvo::sim
