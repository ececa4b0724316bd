#include "simcell.h"

#include <algorithm>
#include <cmath>

namespace kelvo::sim {

namespace {

constexpr int kLastSpeedCode = 103;  // 101 to 103: inching steps
constexpr int kFirstInchingCode = 101;
constexpr int kLastAxis = 12;       // 7 to 12: external axes
constexpr int kProgramStopped = 0;  // running states, as in the running-state report
constexpr int kProgramRunning = 2;

bool finite(const MoveRequest& move) {
    for (const PoseValues& point : move.points) {
        if (!std::all_of(point.begin(), point.end(), [](double v) { return std::isfinite(v); }))
            return false;
    }
    return true;
}

size_t pointsOf(MoveRequest::Kind kind) {
    return kind == MoveRequest::Kind::Joint || kind == MoveRequest::Kind::Linear ? 1 : 3;
}

}  // namespace

SimCell::SimCell(int robots, Clock clock) : clock_(std::move(clock)) {
    const int count = std::clamp(robots, 1, kMaxRobots);
    robots_.reserve(static_cast<size_t>(count));
    for (int number = 1; number <= count; ++number)
        robots_.emplace_back(number, [this, number](SimAlarm alarm) { raise(alarm, number); });
}

void SimCell::notify(SimReport report, int robot) {
    if (listener_)
        listener_(SimNotice{report, std::nullopt, robot});
}

void SimCell::raise(SimAlarm alarm, int robot) {
    if (listener_)
        listener_(SimNotice{SimReport::Servo, alarm, robot});
}

void SimCell::setServo(SimRobot& robot, int servo) {
    robot.settings.servo = servo;
    notify(SimReport::Servo, robot.number());
}

void SimCell::powerDown(SimRobot& robot) {
    powerUpAt_[static_cast<size_t>(robot.number() - 1)].reset();
    robot.stop();
    if (robot.settings.servo == kServoRunning)
        setServo(robot, kServoReady);
}

bool SimCell::setOperationMode(int mode) {
    if (mode < kTeachMode || mode > kRunMode)
        return false;
    advance();
    const bool changed = mode != operationMode_;
    operationMode_ = mode;
    notify(SimReport::OperationMode);
    if (changed) {
        deadman_ = false;
        for (SimRobot& robot : robots_)
            powerDown(robot);
    }
    return true;
}

bool SimCell::select(int mode, int robot) {
    if ((mode != 0 && mode != 1) || !hasRobot(robot))
        return false;
    stopJogs();
    selectionMode_ = mode;
    selectedRobot_ = robot;
    notify(SimReport::Selection);
    return true;
}

bool SimCell::requestServo(int robot, int status) {
    if (!hasRobot(robot) || (status != kServoStopped && status != kServoReady))
        return false;
    advance();
    SimRobot& target = robotAt(robot);
    if (target.settings.servo != kServoAlarm) {
        powerUpAt_[static_cast<size_t>(robot - 1)].reset();
        target.stop();
        target.settings.servo = status;
    }
    notify(SimReport::Servo, robot);
    return true;
}

bool SimCell::setDeadman(int pressed) {
    if (operationMode_ != kTeachMode || (pressed != 0 && pressed != 1))
        return false;
    advance();
    SimRobot& robot = robotAt(selectedRobot_);
    if (deadman_ != (pressed == 1)) {
        deadman_ = pressed == 1;
        notify(SimReport::Deadman);
    }
    if (pressed && robot.settings.servo == kServoReady)
        powerUpAt_[static_cast<size_t>(selectedRobot_ - 1)] = clock_() + kPowerUpMs;
    else if (!pressed)
        powerDown(robot);
    notify(SimReport::Servo, robot.number());
    return true;
}

bool SimCell::raiseServoAlarm(int robot) {
    if (!hasRobot(robot))
        return false;
    advance();
    robotAt(robot).stop();
    raise(SimAlarm::ServoFault, robot);
    setServo(robotAt(robot), kServoAlarm);
    return true;
}

bool SimCell::clearAlarms(int robot) {
    if (!hasRobot(robot))
        return false;
    SimRobot& target = robotAt(robot);
    if (target.settings.servo == kServoAlarm)
        target.settings.servo = kServoReady;
    notify(SimReport::Servo, robot);
    return true;
}

bool SimCell::setCoord(int robot, int coord) {
    if (!hasRobot(robot) || coord < kJointCoord || coord > kUserCoord)
        return false;
    advance();
    robotAt(robot).stopJog();
    robotAt(robot).settings.coord = coord;
    notify(SimReport::Coord, robot);
    return true;
}

bool SimCell::setSpeed(int robot, int speed) {
    if (!hasRobot(robot) || speed < 0 || speed > kLastSpeedCode)
        return false;
    robotAt(robot).settings.speed = speed;
    notify(SimReport::Speed, robot);
    return true;
}

bool SimCell::setTool(int robot, int tool) {
    if (!hasRobot(robot) || tool < 0 || tool > kLastToolNumber)
        return false;
    robotAt(robot).settings.tool = tool;
    notify(SimReport::Tool, robot);
    return true;
}

bool SimCell::setUser(int robot, int user) {
    if (!hasRobot(robot) || user < 0 || user > kLastToolNumber)
        return false;
    robotAt(robot).settings.user = user;
    notify(SimReport::UserCoord, robot);
    return true;
}

template <size_t N>
bool SimCell::write(std::array<int, N>& output, std::array<int, N>& input, SimReport outputReport,
                    SimReport inputReport, int port, int value) {
    if (port < 1 || port > static_cast<int>(N))
        return false;
    const size_t i = static_cast<size_t>(port - 1);
    output[i] = value;
    notify(outputReport);
    if (input[i] != value) {
        input[i] = value;
        notify(inputReport);
    }
    return true;
}

bool SimCell::setDout(int port, int status) {
    return (status == 0 || status == 1) &&
           write(dout_, din_, SimReport::Dout, SimReport::Din, port, status);
}

bool SimCell::setDin(int port, int status) {
    if (port < 1 || port > kDigitalPorts || (status != 0 && status != 1))
        return false;
    din_[static_cast<size_t>(port - 1)] = status;
    notify(SimReport::Din);
    return true;
}

bool SimCell::setAout(int port, double value) {
    return std::isfinite(value) && std::abs(value) <= kAnalogLimit &&
           write(aout_, ain_, SimReport::Aout, SimReport::Ain, port,
                 static_cast<int>(std::lround(value)));
}

bool SimCell::setAin(int port, double value) {
    if (port < 1 || port > kAnalogPorts || !std::isfinite(value) || std::abs(value) > kAnalogLimit)
        return false;
    ain_[static_cast<size_t>(port - 1)] = static_cast<int>(std::lround(value));
    notify(SimReport::Ain);
    return true;
}

bool SimCell::powered(int robot) const {
    if (!hasRobot(robot))
        return false;
    const int servo = this->robot(robot).settings.servo;
    return servo == kServoRunning || (operationMode_ != kTeachMode && servo == kServoReady);
}

bool SimCell::move(int robot, const MoveRequest& move) {
    if (!hasRobot(robot))
        return false;
    if (move.coord < kJointCoord || move.coord > kUserCoord) {
        raise(SimAlarm::InvalidCoordinate, robot);
        return false;
    }
    if (move.points.size() != pointsOf(move.kind) || !finite(move)) {
        raise(SimAlarm::TargetUnreachable, robot);
        return false;
    }
    if (!powered(robot)) {
        raise(SimAlarm::ServoNotReady, robot);
        return false;
    }
    SimRobot& target = robotAt(robot);
    advance();
    target.stopJog();
    if (!target.queueMove(move, static_cast<double>(clock_()))) {
        raise(SimAlarm::MoveQueueFull, robot);
        return false;
    }
    return true;
}

bool SimCell::startProgram(int robot) {
    if (!powered(robot) || robotAt(robot).settings.running == kProgramRunning)
        return false;
    robotAt(robot).settings.running = kProgramRunning;
    notify(SimReport::RunningState, robot);
    return true;
}

bool SimCell::endProgram(int robot) {
    if (!hasRobot(robot) || robotAt(robot).settings.running != kProgramRunning)
        return false;
    robotAt(robot).settings.running = kProgramStopped;
    notify(SimReport::RunningState, robot);
    return true;
}

bool SimCell::startJog(int axis, int direction) {
    SimRobot& robot = robotAt(selectedRobot_);
    if (axis < 1 || axis > kArmAxes || (direction != 1 && direction != -1) || robot.busy())
        return false;
    if (operationMode_ != kTeachMode || robot.settings.servo != kServoRunning) {
        raise(SimAlarm::ServoNotReady, robot.number());
        return false;
    }
    advance();
    if (robot.settings.speed >= kFirstInchingCode)
        robot.inch(axis, direction, robot.settings.speed);
    else
        robot.startJog(axis, direction, robot.settings.speed, static_cast<double>(clock_()));
    return true;
}

void SimCell::stopMove(int axis) {
    advance();
    SimRobot& robot = robotAt(selectedRobot_);
    if (robot.jogging()) {
        if (robot.jogAxis() == axis)
            robot.stopJog();
    } else if (axis >= 1 && axis <= kLastAxis) {
        robot.stop();
    }
}

void SimCell::stopJogs() {
    advance();
    for (SimRobot& robot : robots_)
        robot.stopJog();
}

void SimCell::advance() {
    const double now = static_cast<double>(clock_());
    for (SimRobot& robot : robots_) {
        std::optional<double>& powerUp = powerUpAt_[static_cast<size_t>(robot.number() - 1)];
        if (powerUp && now >= *powerUp) {
            powerUp.reset();
            if (robot.settings.servo == kServoReady)
                setServo(robot, kServoRunning);
        }
        robot.advance(now);
    }
}

void SimCell::tick() {
    advance();
    for (SimRobot& robot : robots_) {
        if (robot.takeMoved())
            notify(SimReport::Position, robot.number());
    }
}

}  // namespace kelvo::sim
