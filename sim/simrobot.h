#pragma once

#include "armmodel.h"
#include "motionplanner.h"
#include "simalarm.h"
#include "trajectory.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace kelvo::sim {

// Servo states as the controller reports them.
enum ServoState { kServoStopped = 0, kServoReady = 1, kServoAlarm = 2, kServoRunning = 3 };

// Coordinate systems: of jogging, and of the values of a move's target.
enum CoordSystem { kJointCoord = 0, kCartesianCoord = 1, kToolCoord = 2, kUserCoord = 3 };

struct MoveRequest {
    enum class Kind { Joint, Linear, Arc, FullCircle };
    Kind kind = Kind::Joint;
    int coord = kJointCoord;         // joint angles, or a Cartesian position for the other systems
    int vel = 0;                     // percent for joint moves, mm/s for the others
    std::vector<PoseValues> points;  // the target; the three points of a circle
};

// One robot of the controller: its settings, its joints and the motion under way. Time is given
// in milliseconds on any steady clock; motion is carried forward by advance().
class SimRobot {
public:
    using AlarmSink = std::function<void(SimAlarm)>;

    SimRobot(int number, AlarmSink alarms);

    int number() const { return number_; }

    // What the controller keeps per robot and reports on request; SimCell enforces the rules.
    struct Settings {
        int servo = kServoStopped;
        int coord = kJointCoord;
        int speed = 10;   // jog speed: percent, or 101 to 103 for inching steps
        int tool = 0;     // tool number, 0: none
        int user = 0;     // user coordinate system number
        int running = 0;  // program running state: 0 stopped, 1 paused, 2 running
    } settings;

    const Joints& joints() const { return joints_; }
    Pose pose() const { return ArmModel::forward(joints_); }
    bool busy() const { return active_.has_value() || !waiting_.empty() || jog_.has_value(); }
    bool jogging() const { return jog_.has_value(); }
    int jogAxis() const { return jog_ ? jog_->axis : 0; }

    // Moves run one after another; each is planned when it starts, from where the robot then is,
    // and one that cannot be planned raises its alarm and drops the moves behind it. False when
    // too many are waiting.
    bool queueMove(const MoveRequest& move, double now);
    // Continuous jogging of axis 1 to 6 in the robot's jog coordinate system at `percent` of the
    // jog speed, until stopJog or a limit.
    void startJog(int axis, int direction, int percent, double now);
    // One inching step of axis 1 to 6: steps of 1, 0.1 or 0.01 mm (0.1, 0.01, 0.001 degrees for
    // joints and turns) for jog speeds 101, 102 and 103.
    void inch(int axis, int direction, int speedCode);
    void stopJog();
    // Stops at once: no move, no jog, nothing waiting.
    void stop();

    void advance(double now);
    // Whether the joints changed since the last call.
    bool takeMoved();

private:
    struct Jog {
        int axis;
        int direction;
        int coord;
        double rate;  // degrees or mm per second
    };

    std::optional<Trajectory> plan(const MoveRequest& move);
    void startNext(double at);
    void advanceJog(double now);
    // Moves the jogged axis by amount; false (and no move) at a limit.
    bool jogBy(int axis, int coord, double amount);
    void setJoints(const Joints& joints);

    int number_;
    AlarmSink alarms_;
    Joints joints_{};
    bool moved_ = false;
    std::deque<MoveRequest> waiting_;
    std::optional<Trajectory> active_;
    double activeSince_ = 0;
    std::optional<Jog> jog_;
    double jogSince_ = 0;
};

}  // namespace kelvo::sim
