#include "ctlcommands.h"

#include "ctlevents.h"
#include "ctlfiles.h"
#include "ctljobs.h"
#include "ctltext.h"
#include "ctltrace.h"
#include "kelvo.h"
#include "motionwatch.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <thread>

namespace kelvoctl {

namespace {

// After a change the controller pushes the report that also answers a query of that state (on a
// move, the position every 100 ms). A query asked before that report is in would be released by
// it, and its own answer, then unasked, would release the next query of the state with the value
// before the change. So a query that follows a change waits this long first.
constexpr auto kSettle = std::chrono::milliseconds(100);
// After the servo came on: in teach mode the enabling switch powers the motors, which takes a
// moment; moves and jogging sent before are refused.
constexpr auto kPowerUp = std::chrono::milliseconds(500);
constexpr int kServoReady = 1;
constexpr int kDefaultJogMs = 1000;
constexpr int kLongestJogMs = 10000;
constexpr int kLongestWaitMs = 600000;
constexpr int kDigitalPorts = 128;
constexpr int kAnalogPorts = 16;
constexpr int kReadablePorts = 16;  // the library reads the first 16 of each kind

void settle() {
    std::this_thread::sleep_for(kSettle);
}

std::string label(const std::string& name) {
    return name + std::string(name.size() < 11 ? 11 - name.size() : 1, ' ');
}

// ---- Settings: operation mode, coordinate system, jog speed ----

struct Setting {
    const char* name;
    const char* wanted;  // what the argument must be
    std::function<std::optional<int>(const std::string&)> parse;
    const char* setName;
    int (*set)(KelvoSession*, int);
    const char* getName;
    int (*get)(KelvoSession*, int*);
    std::function<std::string(int)> describe;
};

Action setting(const Args& args, const Setting& setting) {
    expectArgs(args, 0, 1);
    std::optional<int> wanted;
    if (!args.empty())
        wanted = required(setting.parse(args[0]), setting.wanted);
    return [setting, wanted](CtlSession& ctl) {
        if (wanted) {
            if (!ctl.call(setting.setName, setting.set, *wanted))
                return false;
            settle();
        }
        int now = 0;
        if (!ctl.call(setting.getName, setting.get, &now))
            return false;
        ctl.console().line(std::string(setting.name) + ": " + setting.describe(now));
        if (wanted && now != *wanted)
            return fail(ctl.console(), "the controller did not take " + setting.describe(*wanted));
        return true;
    };
}

Action mode(const Args& args) {
    return setting(args,
                   {"mode", "mode must be teach, remote or run",
                    [](const std::string& text) { return codeOf(kModes, text); },
                    "kelvo_set_current_mode", kelvo_set_current_mode, "kelvo_get_current_mode",
                    kelvo_get_current_mode, [](int code) { return describe(kModes, code); }});
}

Action coord(const Args& args) {
    return setting(args,
                   {"coord", "coord must be joint, cartesian, tool or user",
                    [](const std::string& text) { return codeOf(kCoords, text); },
                    "kelvo_set_current_coord", kelvo_set_current_coord, "kelvo_get_current_coord",
                    kelvo_get_current_coord, [](int code) { return describe(kCoords, code); }});
}

Action speed(const Args& args) {
    return setting(args,
                   {"speed", "speed must be 0 to 100 (percent) or 101 to 103 (inching)",
                    [](const std::string& text) { return wholeNumber(text, 0, kLastSpeedCode); },
                    "kelvo_set_jogging_speed", kelvo_set_jogging_speed, "kelvo_get_jogging_speed",
                    kelvo_get_jogging_speed, describeSpeed});
}

// ---- Servo and jogging ----

// The library decides from the controller state it knows whether the enabling switch may be
// used or an axis jogged; asking first makes that state the controller's present one.
bool learnServoState(CtlSession& ctl) {
    int ignored = 0;
    return ctl.call("kelvo_get_current_mode", kelvo_get_current_mode, &ignored) &&
           ctl.call("kelvo_get_servo_status", kelvo_get_servo_status, &ignored);
}

Action servo(const Args& args) {
    expectArgs(args, 1, 1);
    if (args[0] == "off") {
        return [](CtlSession& ctl) {
            if (!learnServoState(ctl))
                return false;
            if (!ctl.call("kelvo_servo_power_off", kelvo_servo_power_off)) {
                ctl.console().hint("(the enabling switch is used in teach mode, servo on only)");
                return false;
            }
            ctl.console().line("servo: enabling switch released (the motors are off)");
            return true;
        };
    }
    if (args[0] != "on")
        throw UsageError("servo takes on or off");
    return [](CtlSession& ctl) {
        int status = 0;
        if (!ctl.call("kelvo_servo_power_on", kelvo_servo_power_on, &status))
            return false;
        std::this_thread::sleep_for(kPowerUp);
        if (status != kServoReady)
            return fail(ctl.console(), "the controller reports the servo " +
                                           describe(kServoStates, status) + ", not ready");
        ctl.console().line(
            "servo: on (ready; in teach mode the enabling switch then powers the motors)");
        return true;
    };
}

constexpr const char* kJogNeeds =
    "(jogging needs teach mode and the servo on: 'mode teach', 'servo on')";

Action jog(const Args& args) {
    expectArgs(args, 2, 3);
    const int axis = required(wholeNumber(args[0], 1, 12), "axis must be 1 to 12");
    if (args[1] != "+" && args[1] != "-")
        throw UsageError("direction must be + or -");
    const bool positive = args[1] == "+";
    const int ms = args.size() == 3
                       ? required(wholeNumber(args[2], 1, kLongestJogMs), "MS must be 1 to 10000")
                       : kDefaultJogMs;
    return [=](CtlSession& ctl) {
        int coordinates = 0;
        if (!ctl.call("kelvo_get_current_coord", kelvo_get_current_coord, &coordinates))
            return false;
        const int shown = coordinates == 0 ? 0 : 1;
        const std::optional<Position> before = currentPosition(ctl, shown);
        if (!before || !learnServoState(ctl))
            return false;
        if (!ctl.call("kelvo_start_jogging", kelvo_start_jogging, axis, positive ? 1 : 0)) {
            ctl.console().hint(kJogNeeds);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        if (!ctl.call("kelvo_stop_jogging", kelvo_stop_jogging, axis))
            return false;
        settle();
        const std::optional<Position> after = currentPosition(ctl, shown);
        if (!after)
            return false;
        if (positionGap(*before, *after, shown) < 1e-6)
            return fail(ctl.console(), std::string("the robot did not move ") + kJogNeeds);
        ctl.console().line("jogged " + axisName(axis, shown) + (positive ? " +: " : " -: ") +
                           formatPosition(*after, shown));
        return true;
    };
}

// ---- Moves ----

struct MoveKind {
    int points;
    int defaultVel;
    int fastestVel;
    int defaultCoord;
    bool fullCircle;
};

constexpr MoveKind kJointMove = {1, 20, 100, 0, false};
constexpr MoveKind kLinearMove = {1, 100, 1000, 1, false};
constexpr MoveKind kArcMove = {3, 100, 1000, 1, false};
constexpr MoveKind kCircleMove = {3, 100, 1000, 1, true};

struct MoveArgs {
    int vel = 0;
    int coord = 0;
    bool wait = true;
    std::vector<Position> points;
};

MoveArgs parseMove(const Args& args, const MoveKind& kind) {
    MoveArgs move;
    move.vel = kind.defaultVel;
    move.coord = kind.defaultCoord;
    std::vector<double> values;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-wait") {
            move.wait = false;
        } else if (args[i] == "--vel" && i + 1 < args.size()) {
            move.vel = required(wholeNumber(args[++i], 1, kind.fastestVel),
                                "--vel must be 1 to " + std::to_string(kind.fastestVel));
        } else if (args[i] == "--coord" && i + 1 < args.size()) {
            move.coord = required(codeOf(kCoords, args[++i]),
                                  "--coord must be joint, cartesian, tool or user");
        } else {
            values.push_back(required(realNumber(args[i]), "not a number: " + args[i]));
        }
    }
    if (values.size() != static_cast<size_t>(6 * kind.points))
        throw UsageError("expected " + std::to_string(6 * kind.points) + " values");
    for (int p = 0; p < kind.points; ++p) {
        Position point;
        std::copy_n(values.begin() + 6 * p, 6, point.begin());
        move.points.push_back(point);
    }
    return move;
}

bool sendMove(CtlSession& ctl, const MoveArgs& move, const MoveKind& kind) {
    const double* first = move.points[0].data();
    if (kind.points == 1 && kind.defaultCoord == 0)
        return ctl.call("kelvo_robot_movj", kelvo_robot_movj, first, move.vel, move.coord);
    if (kind.points == 1)
        return ctl.call("kelvo_robot_movl", kelvo_robot_movl, first, move.vel, move.coord);
    const double* second = move.points[1].data();
    const double* third = move.points[2].data();
    if (!kind.fullCircle)
        return ctl.call("kelvo_robot_movc", kelvo_robot_movc, first, second, third, move.vel,
                        move.coord);
    return ctl.call("kelvo_robot_movca", kelvo_robot_movca, first, second, third, move.vel,
                    move.coord);
}

Action moveCommand(const Args& args, const MoveKind& kind) {
    const MoveArgs move = parseMove(args, kind);
    return [move, kind](CtlSession& ctl) {
        if (!sendMove(ctl, move, kind))
            return false;
        CtlConsole& console = ctl.console();
        if (!move.wait) {
            console.line("sent");
            return true;
        }
        MotionWatch watch(ctl);
        const MotionWatch::Goal goal{kind.fullCircle ? move.points.front() : move.points.back(),
                                     move.coord, kind.fullCircle, kind.points == 1};
        if (!watch.waitForArrival(goal)) {
            return fail(console, watch.failure() +
                                     " (the controller's alarms, if any, are in the log above)");
        }
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", watch.seconds());
        console.line("arrived after " + std::string(seconds) +
                     " s: " + formatPosition(watch.last(), move.coord));
        return true;
    };
}

Action movj(const Args& args) {
    return moveCommand(args, kJointMove);
}
Action movl(const Args& args) {
    return moveCommand(args, kLinearMove);
}
Action movc(const Args& args) {
    return moveCommand(args, kArcMove);
}
Action movca(const Args& args) {
    return moveCommand(args, kCircleMove);
}

// ---- I/O ----

struct IoKind {
    const char* name;
    const char* readName;
    int (*read)(KelvoSession*, double*);
};

constexpr IoKind kDout = {"dout", "kelvo_get_dout", kelvo_get_dout};
constexpr IoKind kDin = {"din", "kelvo_get_din", kelvo_get_din};
constexpr IoKind kAout = {"aout", "kelvo_get_aout", kelvo_get_aout};
constexpr IoKind kAin = {"ain", "kelvo_get_ain", kelvo_get_ain};

// The first 16 ports of a kind, the ones the library reads.
bool readPorts(CtlSession& ctl, const IoKind& io, double (&values)[kReadablePorts]) {
    return ctl.call(io.readName, io.read, values);
}

bool readIo(CtlSession& ctl, const IoKind& io) {
    double values[kReadablePorts] = {};
    if (!readPorts(ctl, io, values))
        return false;
    ctl.console().line(label(std::string(io.name) + " 1-16") + formatIo(values));
    return true;
}

// How an output is written: kelvo_set_dout or kelvo_set_aout.
using WriteOutput = bool (*)(CtlSession& ctl, int port, double value);

// Writes one output, then reads it back when the library reads it.
bool writeIo(CtlSession& ctl, const IoKind& io, int port, double value, WriteOutput write) {
    if (!write(ctl, port, value))
        return false;
    settle();
    const std::string name = std::string(io.name) + " " + std::to_string(port);
    if (port > kReadablePorts) {
        ctl.console().line(name + ": sent (only ports 1 to 16 can be read back)");
        return true;
    }
    double values[kReadablePorts] = {};
    if (!readPorts(ctl, io, values))
        return false;
    ctl.console().line(name + " = " + formatIoValue(values[port - 1]));
    if (std::abs(values[port - 1] - value) > 0.5)
        return fail(ctl.console(), "the controller did not take the value");
    return true;
}

// The outputs read, or one of them written.
Action output(const Args& args, const IoKind& io, int ports,
              const std::function<std::optional<double>(const std::string&)>& parseValue,
              WriteOutput write) {
    if (args.empty())
        return [io](CtlSession& ctl) { return readIo(ctl, io); };
    expectArgs(args, 2, 2);
    const int port =
        required(wholeNumber(args[0], 1, ports), "port must be 1 to " + std::to_string(ports));
    const double value = required(parseValue(args[1]), "not a value for this output: " + args[1]);
    return [=](CtlSession& ctl) { return writeIo(ctl, io, port, value, write); };
}

Action dout(const Args& args) {
    return output(
        args, kDout, kDigitalPorts,
        [](const std::string& text) -> std::optional<double> { return wholeNumber(text, 0, 1); },
        [](CtlSession& ctl, int port, double value) {
            return ctl.call("kelvo_set_dout", kelvo_set_dout, port, static_cast<int>(value));
        });
}

Action aout(const Args& args) {
    return output(args, kAout, kAnalogPorts, realNumber,
                  [](CtlSession& ctl, int port, double value) {
                      return ctl.call("kelvo_set_aout", kelvo_set_aout, port, value);
                  });
}

Action input(const Args& args, const IoKind& io) {
    expectArgs(args, 0, 0);
    return [io](CtlSession& ctl) { return readIo(ctl, io); };
}

Action din(const Args& args) {
    return input(args, kDin);
}

Action ain(const Args& args) {
    return input(args, kAin);
}

// ---- State ----

bool showPosition(CtlSession& ctl, int coord) {
    const std::optional<Position> position = currentPosition(ctl, coord);
    if (!position)
        return false;
    const std::string name = coord == 0 ? "joints" : coord == 1 ? "cartesian" : kCoords[coord].name;
    ctl.console().line(label(name) + formatPosition(*position, coord) + "  (" +
                       positionUnit(coord) + ")");
    return true;
}

Action pos(const Args& args) {
    expectArgs(args, 0, 1);
    if (args.size() == 1) {
        const int coord = required(codeOf(kCoords, args[0]),
                                   "coordinate system must be joint, cartesian, tool or user");
        return [coord](CtlSession& ctl) { return showPosition(ctl, coord); };
    }
    return [](CtlSession& ctl) { return showPosition(ctl, 0) && showPosition(ctl, 1); };
}

Action state(const Args& args) {
    expectArgs(args, 0, 0);
    return [](CtlSession& ctl) {
        int running = 0;
        if (!ctl.call("kelvo_get_robot_running_state", kelvo_get_robot_running_state, &running))
            return false;
        ctl.console().line("running: " + describe(kRunningStates, running));
        return true;
    };
}

Action status(const Args& args) {
    expectArgs(args, 0, 0);
    return [](CtlSession& ctl) {
        int servoStatus = 0;
        int mode = 0;
        int coordinates = 0;
        int jogSpeed = 0;
        int running = 0;
        if (!ctl.call("kelvo_get_servo_status", kelvo_get_servo_status, &servoStatus) ||
            !ctl.call("kelvo_get_current_mode", kelvo_get_current_mode, &mode) ||
            !ctl.call("kelvo_get_current_coord", kelvo_get_current_coord, &coordinates) ||
            !ctl.call("kelvo_get_jogging_speed", kelvo_get_jogging_speed, &jogSpeed) ||
            !ctl.call("kelvo_get_robot_running_state", kelvo_get_robot_running_state, &running))
            return false;
        CtlConsole& console = ctl.console();
        console.line(label("servo") + describe(kServoStates, servoStatus));
        console.line(label("mode") + describe(kModes, mode));
        console.line(label("coord") + describe(kCoords, coordinates));
        console.line(label("speed") + describeSpeed(jogSpeed));
        console.line(label("running") + describe(kRunningStates, running));
        return showPosition(ctl, 0) && showPosition(ctl, 1) && readIo(ctl, kDout) &&
               readIo(ctl, kDin) && readIo(ctl, kAout) && readIo(ctl, kAin);
    };
}

Action clear(const Args& args) {
    expectArgs(args, 0, 1);
    if (args.empty()) {
        return [](CtlSession& ctl) {
            if (!ctl.call("kelvo_clear_all_alarms", kelvo_clear_all_alarms))
                return false;
            ctl.console().line("alarms: cleared");
            return true;
        };
    }
    const int number = required(wholeNumber(args[0], 0, INT_MAX), "NUMBER must be 0 or more");
    return [number](CtlSession& ctl) {
        if (!ctl.call("kelvo_clear_alarm", kelvo_clear_alarm, number))
            return false;
        ctl.console().line("alarm " + std::to_string(number) + ": cleared");
        return true;
    };
}

Action wait(const Args& args) {
    expectArgs(args, 1, 1);
    const int ms = required(wholeNumber(args[0], 0, kLongestWaitMs), "MS must be 0 to 600000");
    return [ms](CtlSession&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return true;
    };
}

// clang-format off
const Command kCommands[] = {
    {"status", "", "servo, mode, coordinate system, speed, running state, positions and I/O",
     "Servo states: stopped (0), ready (1), alarm (2), running (3: the motors are powered).", true,
     status},
    {"servo", "on|off", "switch the servo on, or release the enabling switch",
     "on: kelvo_servo_power_on(s, &status); fails unless the controller then reports the servo\n"
     "ready. In teach mode the library also presses the enabling switch, which powers the motors.\n"
     "off: kelvo_servo_power_off(s); in teach mode with the servo on only.",
     true, servo},
    {"mode", "[teach|remote|run]", "show or set the operation mode", "", true, mode},
    {"coord", "[joint|cartesian|tool|user]", "show or set the jog coordinate system", "", true,
     coord},
    {"speed", "[0-103]", "show or set the jog speed",
     "0 to 100: percent of the top jog speed; 101, 102, 103: one step per jog of 1, 0.1 or\n"
     "0.01 mm (0.1, 0.01, 0.001 degrees for joints).",
     true, speed},
    {"jog", "AXIS +|- [MS]", "jog one axis for MS milliseconds (default 1000)",
     "AXIS 1 to 6 are the robot's axes (J1 to J6 in joint coordinates, X, Y, Z, RX, RY, RZ\n"
     "otherwise), 7 a seventh joint, 8 to 12 the external axes O1 to O5. Needs teach mode and\n"
     "the servo on. At an inching speed (101 to 103) the robot makes one step.",
     true, jog},
    {"movj", "[--vel PCT] [--coord C] [--no-wait] V1 .. V6", "joint move to a target",
     "The target is in joint angles (--coord joint, the default) or a Cartesian position\n"
     "x y z rx ry rz in mm and degrees. --vel: percent of the top joint speed (default 20).\n"
     "Waits until the robot stands at the target, showing its progress, unless --no-wait.",
     true, movj},
    {"movl", "[--vel MM/S] [--coord C] [--no-wait] V1 .. V6", "linear move to a target",
     "The target is x y z rx ry rz in mm and degrees (--coord cartesian, the default) or joint\n"
     "angles. --vel: speed of the tool in mm/s (default 100).",
     true, movl},
    {"movc", "[--vel MM/S] [--coord C] [--no-wait] P1(6) P2(6) P3(6)",
     "circular move along the arc through three points", "", true, movc},
    {"movca", "[--vel MM/S] [--coord C] [--no-wait] P1(6) P2(6) P3(6)",
     "full circle through three points, back to the first", "", true, movca},
    {"dout", "[PORT 0|1]", "show digital outputs 1-16, or set one (1 to 128)", "", true, dout},
    {"aout", "[PORT VALUE]", "show analog outputs 1-16, or set one", "", true, aout},
    {"din", "", "show digital inputs 1-16", "", true, din},
    {"ain", "", "show analog inputs 1-16", "", true, ain},
    {"pos", "[joint|cartesian|tool|user]", "show the current position (joints and Cartesian)",
     "", true, pos},
    {"state", "", "show the program running state", "", true, state},
    {"run", "NAME", "start the job NAME stored on the controller",
     "kelvo_run_job(s, NAME): from the job's first line. Needs the servo on and no job running;\n"
     "waits until the controller reports the job running.",
     true, runJob},
    {"stop", "", "stop the running job", "kelvo_stop_job(s); waits until the job has stopped.",
     true, stopJob},
    {"queue", "[--coord C] [--no-wait] FILE", "stream the motion points of FILE as one queue",
     "kelvo_continuous_motion_mode(s, 1), then kelvo_send_continuous_motion_queue(s, ...) with\n"
     "the points of FILE, one per line (# starts a comment):\n"
     "    TYPE VEL V1 .. Vn [acc=A] [dec=D] [pl=P] [spin=S]\n"
     "TYPE is movj, movl, movc, movca (6 to 13 values) or movjext, movlext, movcext (6 to 19);\n"
     "what the values mean is the controller's (kelvo-sim: joint angles in degrees). Waits\n"
     "until the robot stands at the last point, its first six values read in --coord (default\n"
     "joint), then closes the mode, which returns the controller to teach mode. With --no-wait\n"
     "the mode stays open. A queue must fit one frame (some 100 to 170 points).",
     true, queue},
    {"upload", "[MS]", "send the job files of robotJob/R1 to R4 to the controller",
     "kelvo_upload_job(s): every file of robotJob/R1 to R4 in the job folder (the current\n"
     "directory or --job-dir), robot by robot, newest first. The library reports no end of a\n"
     "transfer, so kelvoctl stays MS (default 3000) before it goes on or exits. Refused while\n"
     "a transfer runs.",
     true, upload},
    {"sync", "[MS]", "bring robotJob/R1 to R4 in line with the controller's job files",
     "kelvo_sync_jobs(s): files missing or different on the PC are downloaded, empty ones\n"
     "deleted and files the controller lacks uploaded; kelvoctl stays MS (default 3000)\n"
     "meanwhile.",
     true, sync},
    {"watch", "[SECONDS]", "print the controller's reports as they arrive, until Ctrl-C",
     "One line per event: the time it arrived, its kind, the robot and what it says. kelvoctl\n"
     "pulls them with kelvo_next_event(s, &event, 100); those queued since the connection come\n"
     "first. Ends after SECONDS when given.",
     true, watch},
    {"clear", "[NUMBER]", "clear the alarm NUMBER, or every alarm",
     "NUMBER: kelvo_clear_alarm(s, NUMBER), the number an alarm event shows after #.\n"
     "Without: kelvo_clear_all_alarms(s), for the robot in use.",
     true, clear},
    {"wait", "MS", "pause (in scripts)", "", false, wait},
    {"trace", "[--word NAME|0xNNNN] [--since SECONDS] FILE", "print a dump of the flight recorder",
     "FILE: written by kelvo_dump_trace or, with KELVO_TRACE_DIR set, on a link loss. One line per\n"
     "frame: seconds from the first record, link, -> sent or <- received, word, name, payload.\n"
     "Gaps longer than the heartbeat period, reconnects, CRC errors and skipped bytes are\n"
     "marked. --word and --since keep the frames of one word, or from SECONDS on; link events\n"
     "always show. Reads the file only.",
     false, trace},
};
// clang-format on

}  // namespace

void expectArgs(const Args& args, size_t least, size_t most) {
    if (args.size() < least || args.size() > most)
        throw UsageError("wrong number of arguments");
}

bool fail(CtlConsole& console, const std::string& why) {
    console.error(why);
    return false;
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : kCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

void printCommandList(CtlConsole& console) {
    for (const Command& command : kCommands) {
        std::string head = std::string("  ") + command.name + " " + command.synopsis;
        if (head.size() > 30) {
            console.line(head);
            head.clear();
        }
        console.line(head + std::string(32 - head.size(), ' ') + command.summary);
    }
}

void printCommandHelp(CtlConsole& console, const Command& command) {
    console.line(std::string("usage: ") + command.name + " " + command.synopsis);
    console.line(std::string("  ") + command.summary);
    std::string details = command.details;
    size_t start = 0;
    while (start < details.size()) {
        const size_t end = details.find('\n', start);
        console.line("  " + details.substr(start, end - start));
        start = end == std::string::npos ? details.size() : end + 1;
    }
}

}  // namespace kelvoctl
