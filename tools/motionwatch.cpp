#include "motionwatch.h"

#include "kelvo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace kelvoctl {

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kArrived = 0.01;  // mm or degrees from the target
constexpr double kStill = 1e-6;    // no change between two readings
constexpr auto kPollInterval = std::chrono::milliseconds(100);
constexpr auto kStallTime = std::chrono::milliseconds(2000);
constexpr int kBarWidth = 20;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string bar(int percent) {
    const int filled = percent * kBarWidth / 100;
    return "[" + std::string(static_cast<size_t>(filled), '#') +
           std::string(static_cast<size_t>(kBarWidth - filled), '.') + "]";
}

std::string percentText(int percent) {
    const std::string digits = std::to_string(percent);
    return std::string(4 - std::min<size_t>(3, digits.size()), ' ') + digits + "%";
}

}  // namespace

double positionGap(const Position& a, const Position& b, int coord) {
    double gap = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const bool angle = coord == 0 || i >= 3;
        const double d =
            angle ? std::abs(std::remainder(a[i] - b[i], 360.0)) : std::abs(a[i] - b[i]);
        gap = std::max(gap, d);
    }
    return gap;
}

std::optional<Position> currentPosition(CtlSession& ctl, int coord) {
    Position position{};
    if (!ctl.call("kelvo_get_current_position", kelvo_get_current_position, position.data(), coord))
        return std::nullopt;
    return position;
}

std::optional<Position> MotionWatch::read(int coord) {
    Position position{};
    const int status = ctl_.status(kelvo_get_current_position, position.data(), coord);
    if (status == KELVO_OK)
        return position;
    fail(kelvoctl::failure("kelvo_get_current_position", status), "last seen at", coord);
    return std::nullopt;
}

bool MotionWatch::fail(const std::string& why, const char* where, int coord) {
    failure_ = seen_ ? why + "; " + where + " " + formatPosition(last_, coord) : why;
    return false;
}

bool MotionWatch::waitForArrival(const Goal& goal) {
    const Clock::time_point start = Clock::now();
    const std::optional<Position> first = read(goal.coord);
    if (!first)
        return false;
    const Position origin = *first;
    const double distance = positionGap(origin, goal.target, goal.coord);
    last_ = origin;
    seen_ = true;
    bool left = false;
    Clock::time_point lastChange = start;
    for (;;) {
        seconds_ = secondsSince(start);
        const double gap = positionGap(last_, goal.target, goal.coord);
        const bool still = Clock::now() - lastChange >= kPollInterval;
        if (gap < kArrived && still && (left || !goal.leavesFirst))
            return true;
        if (Clock::now() - lastChange > kStallTime)
            return fail(left ? "the robot stopped short of the target" : "the robot did not move",
                        "it is at", goal.coord);
        std::this_thread::sleep_for(kPollInterval);
        const std::optional<Position> reading = read(goal.coord);
        if (!reading)
            return false;
        const Position now = *reading;
        if (positionGap(now, last_, goal.coord) > kStill) {
            lastChange = Clock::now();
            left = left || positionGap(now, origin, goal.coord) > kArrived;
        }
        last_ = now;
        const int percent =
            goal.showsPercent && distance > 0
                ? std::clamp(
                      static_cast<int>(
                          100.0 * (1.0 - positionGap(now, goal.target, goal.coord) / distance)),
                      0, 100)
                : 0;
        const std::string head =
            goal.showsPercent ? "  " + bar(percent) + percentText(percent) : "  moving";
        ctl_.console().progress(head + "  " + formatPosition(now, goal.coord, 2), percent / 25);
    }
}

}  // namespace kelvoctl
