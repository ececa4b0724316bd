#pragma once

#include "simalarm.h"
#include "simframe.h"
#include "simrobot.h"

#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace kelvo::sim {

// The states a controller reports, each in a report of its own (see SimReports).
enum class SimReport {
    Servo,
    Deadman,
    OperationMode,
    TeachType,
    Coord,
    Speed,
    Tool,
    UserCoord,
    Selection,
    RobotCount,
    RobotType,
    Dout,
    Din,
    Aout,
    Ain,
    RunningState,
    Position,
};

// A change to report: a state, or an alarm. robot is 1 to 4 for the states and alarms of one
// robot, 0 for the others.
struct SimNotice {
    SimReport report = SimReport::Servo;
    std::optional<SimAlarm> alarm;
    int robot = 0;
};

// Operation modes.
enum OperationMode { kTeachMode = 0, kRemoteMode = 1, kRunMode = 2 };

// The simulated controller's state and rules, without any networking: operation mode, robot
// selection, the robots with their servo, jog settings and motion, and the I/O. Every accepted
// command is told to the listener as a notice of the state it set (also when the value stays),
// so a controller can report it; refused commands change nothing and return false. Motion runs
// on the clock; advance() carries it forward to now.
class SimCell {
public:
    using Clock = std::function<qint64()>;
    using Listener = std::function<void(const SimNotice&)>;

    static constexpr int kMaxRobots = 4;
    static constexpr int kDigitalPorts = 128;
    static constexpr int kAnalogPorts = 16;
    static constexpr int kAnalogLimit = 10000;
    static constexpr int kLastToolNumber = 15;
    static constexpr int kPowerUpMs = 300;  // from the enabling switch to motors under power

    explicit SimCell(int robots, Clock clock = nowMs);
    SimCell(const SimCell&) = delete;
    SimCell& operator=(const SimCell&) = delete;

    void setListener(Listener listener) { listener_ = std::move(listener); }

    int robotCount() const { return static_cast<int>(robots_.size()); }
    bool hasRobot(int number) const { return number >= 1 && number <= robotCount(); }
    // number: 1 to robotCount()
    const SimRobot& robot(int number) const { return robots_[static_cast<size_t>(number - 1)]; }

    int operationMode() const { return operationMode_; }
    // As in the robot-change report: mode 0 selects the robot to teach, mode 1 the base robot.
    int selectionMode() const { return selectionMode_; }
    int selectedRobot() const { return selectedRobot_; }
    bool deadman() const { return deadman_; }
    const std::array<int, kDigitalPorts>& dout() const { return dout_; }
    const std::array<int, kDigitalPorts>& din() const { return din_; }
    const std::array<int, kAnalogPorts>& aout() const { return aout_; }
    const std::array<int, kAnalogPorts>& ain() const { return ain_; }

    // Changing the mode stops every robot and takes the power off running servos.
    bool setOperationMode(int mode);
    bool select(int mode, int robot);

    // Status 1: servo ready (from running: motors off, motion stopped); 0: servo stopped. A servo
    // in alarm stays there until clearAlarms.
    bool requestServo(int robot, int status);
    // The enabling switch of the selected robot, in teach mode only: pressing it powers a ready
    // servo, which runs kPowerUpMs later; releasing it takes the power off (ready) and stops the
    // robot.
    bool setDeadman(int pressed);
    bool raiseServoAlarm(int robot);
    // An alarm cleared leaves the servo ready.
    bool clearAlarms(int robot);

    bool setCoord(int robot, int coord);
    bool setSpeed(int robot, int speed);
    bool setTool(int robot, int tool);
    bool setUser(int robot, int user);

    // Ports count from 1. Every digital output is wired back to the digital input of the same
    // number, every analog output to the analog input: writing an output sets that input too.
    // Analog values are whole numbers (the reports carry integers), written values are rounded.
    bool setDout(int port, int status);
    bool setAout(int port, double value);
    bool setDin(int port, int status);
    bool setAin(int port, double value);

    // Whether robot's servo lets it move: running in teach mode, ready or running in the others.
    bool powered(int robot) const;
    // A move needs a powered robot.
    bool move(int robot, const MoveRequest& move);
    // A program (job) starts on a powered robot that runs none: running state 2. It ends by
    // endProgram, which is refused while none runs.
    bool startProgram(int robot);
    bool endProgram(int robot);
    // Jogging acts on the selected robot, in teach mode with the servo running, at its jog speed.
    bool startJog(int axis, int direction);
    // 0x2902 for an axis: ends a jog of that axis, or any move the selected robot makes, with
    // the moves waiting behind it, where the robot then is. A host stops a move no other way.
    void stopMove(int axis);
    void stopJogs();

    void advance();
    // advance(), then a position notice for each robot that moved since the last tick.
    void tick();

private:
    SimRobot& robotAt(int number) { return robots_[static_cast<size_t>(number - 1)]; }
    void notify(SimReport report, int robot = 0);
    void raise(SimAlarm alarm, int robot);
    void setServo(SimRobot& robot, int servo);
    void powerDown(SimRobot& robot);
    template <size_t N>
    bool write(std::array<int, N>& output, std::array<int, N>& input, SimReport outputReport,
               SimReport inputReport, int port, int value);

    Clock clock_;
    Listener listener_;
    std::vector<SimRobot> robots_;
    std::array<std::optional<double>, kMaxRobots> powerUpAt_{};  // due times, by robot
    int operationMode_ = kTeachMode;
    int selectionMode_ = 0;
    int selectedRobot_ = 1;
    bool deadman_ = false;
    std::array<int, kDigitalPorts> dout_{};
    std::array<int, kDigitalPorts> din_{};
    std::array<int, kAnalogPorts> aout_{};
    std::array<int, kAnalogPorts> ain_{};
};

}  // namespace kelvo::sim
