#include "ctljobs.h"

#include "ctltext.h"
#include "motionwatch.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace kelvoctl {

namespace {

constexpr int kJobRunning = 2;
constexpr auto kStateChange = std::chrono::milliseconds(3000);
constexpr auto kPollInterval = std::chrono::milliseconds(100);

struct PointType {
    const char* name;
    int32_t type;
    size_t values;  // position values the library sends for this type
};

constexpr PointType kPointTypes[] = {
    {"movj", 1, 13},    {"movl", 2, 13},    {"movc", 3, 13},    {"movca", 4, 13},
    {"movjext", 5, 19}, {"movlext", 6, 19}, {"movcext", 7, 19},
};

bool readRunningState(CtlSession& ctl, int* state) {
    return ctl.call("kelvo_get_robot_running_state", kelvo_get_robot_running_state, state);
}

// Polls the running state until it reads as wanted: the controller starts and stops a job in
// its own time. *state: the last reading. When it cannot be read, or does not change in time
// (then otherwise is told), false.
bool runningStateBecomes(CtlSession& ctl, bool (*wanted)(int), int* state,
                         const std::string& otherwise) {
    const auto end = std::chrono::steady_clock::now() + kStateChange;
    for (;;) {
        if (!readRunningState(ctl, state))
            return false;
        if (wanted(*state))
            return true;
        if (std::chrono::steady_clock::now() > end)
            return fail(ctl.console(), otherwise);
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool jobRuns(int state) {
    return state == kJobRunning;
}

bool noJobRuns(int state) {
    return state != kJobRunning;
}

// acc=, dec=, pl= or spin= into the point; false for any other word.
bool readSetting(const std::string& word, ContinuousMotionPoint& point) {
    const size_t equals = word.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string key = word.substr(0, equals);
    const std::string value = word.substr(equals + 1);
    if (key == "spin") {
        point.spin =
            required(wholeNumber(value, INT32_MIN, INT32_MAX), "spin must be a whole number");
        return true;
    }
    double ContinuousMotionPoint::*const real = key == "acc"   ? &ContinuousMotionPoint::acc
                                                : key == "dec" ? &ContinuousMotionPoint::dec
                                                : key == "pl"  ? &ContinuousMotionPoint::pl
                                                               : nullptr;
    if (!real)
        return false;
    point.*real = required(realNumber(value), "not a number: " + word);
    return true;
}

ContinuousMotionPoint readPoint(const std::vector<std::string>& words) {
    const auto type = std::find_if(std::begin(kPointTypes), std::end(kPointTypes),
                                   [&](const PointType& t) { return words[0] == t.name; });
    if (type == std::end(kPointTypes))
        throw UsageError("unknown point type " + words[0]);
    if (words.size() < 2)
        throw UsageError("a velocity is needed");
    ContinuousMotionPoint point{};
    point.type = type->type;
    point.velocity = required(realNumber(words[1]), "not a number: " + words[1]);
    size_t values = 0;
    for (size_t i = 2; i < words.size(); ++i) {
        if (readSetting(words[i], point))
            continue;
        if (values == type->values)
            throw UsageError(words[0] + " takes at most " + std::to_string(type->values) +
                             " values");
        point.pos[values++] = required(realNumber(words[i]), "not a number: " + words[i]);
    }
    if (values < 6)
        throw UsageError(words[0] + " needs at least 6 values");
    return point;
}

Position targetOf(const ContinuousMotionPoint& point) {
    Position target;
    std::copy_n(point.pos, target.size(), target.begin());
    return target;
}

}  // namespace

std::vector<ContinuousMotionPoint> readQueueFile(const std::string& path) {
    std::ifstream file(path);
    if (!file)
        throw UsageError("cannot read " + path);
    std::vector<ContinuousMotionPoint> points;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream text(line.substr(0, line.find('#')));
        std::vector<std::string> words;
        for (std::string word; text >> word;)
            words.push_back(word);
        if (words.empty())
            continue;
        try {
            points.push_back(readPoint(words));
        } catch (const UsageError& error) {
            throw UsageError(path + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    if (points.empty())
        throw UsageError(path + " holds no points");
    return points;
}

Action runJob(const Args& args) {
    expectArgs(args, 1, 1);
    const std::string name = args[0];
    return [name](CtlSession& ctl) {
        // The library refuses by the servo and running state it knows: make them the present ones.
        int state = 0;
        int servoStatus = 0;
        if (!ctl.call("kelvo_get_servo_status", kelvo_get_servo_status, &servoStatus) ||
            !readRunningState(ctl, &state))
            return false;
        const char* const needs = "(a job needs the servo on and no job running)";
        if (!ctl.call("kelvo_run_job", kelvo_run_job, name.c_str())) {
            ctl.console().hint(needs);
            return false;
        }
        if (!runningStateBecomes(ctl, jobRuns, &state,
                                 "the controller did not start " + name + " " + needs))
            return false;
        ctl.console().line("running: " + name);
        return true;
    };
}

Action stopJob(const Args& args) {
    expectArgs(args, 0, 0);
    return [](CtlSession& ctl) {
        // The query also tells the library that a job runs, which kelvo_stop_job needs.
        int state = 0;
        if (!readRunningState(ctl, &state))
            return false;
        if (state == kJobRunning) {
            if (!ctl.call("kelvo_stop_job", kelvo_stop_job))
                return false;
            if (!runningStateBecomes(ctl, noJobRuns, &state, "the job did not stop"))
                return false;
        }
        ctl.console().line("running: " + describe(kRunningStates, state));
        return true;
    };
}

Action queue(const Args& args) {
    int coord = 0;
    bool wait = true;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-wait")
            wait = false;
        else if (args[i] == "--coord" && i + 1 < args.size())
            coord = required(codeOf(kCoords, args[++i]),
                             "--coord must be joint, cartesian, tool or user");
        else
            paths.push_back(args[i]);
    }
    expectArgs(paths, 1, 1);
    const std::vector<ContinuousMotionPoint> points = readQueueFile(paths[0]);
    return [=](CtlSession& ctl) {
        if (!ctl.call("kelvo_continuous_motion_mode", kelvo_continuous_motion_mode, 1) ||
            !ctl.call("kelvo_send_continuous_motion_queue", kelvo_send_continuous_motion_queue,
                      points.data(), static_cast<unsigned int>(points.size())))
            return false;
        CtlConsole& console = ctl.console();
        console.line("sent " + std::to_string(points.size()) + " points");
        if (!wait)
            return true;
        MotionWatch watch(ctl);
        const bool arrived = watch.waitForArrival({targetOf(points.back()), coord, false, false});
        const bool closed =
            ctl.call("kelvo_continuous_motion_mode", kelvo_continuous_motion_mode, 0);
        if (!arrived) {
            return fail(console, watch.failure() +
                                     " (the library's and the controller's reasons, if any, are "
                                     "in the log above)");
        }
        if (!closed)
            return false;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", watch.seconds());
        console.line("arrived after " + std::string(seconds) +
                     " s: " + formatPosition(watch.last(), coord));
        return true;
    };
}

}  // namespace kelvoctl
