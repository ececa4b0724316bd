// The simulated controller's state model on a clock of the test's own.

#include "simcell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using namespace kelvo::sim;
using Kind = MoveRequest::Kind;

namespace {

constexpr PoseValues kHome = {500, 0, 850, 180, 0, 0};

// A cell of two robots on a clock that moves only when the test says so; it keeps every notice.
class Cell {
public:
    Cell() : cell(2, [this] { return now; }) {
        cell.setListener([this](const SimNotice& notice) { notices.push_back(notice); });
    }

    // Teach mode, servo ready and the enabling switch pressed: robot 1 may move and jog. The
    // test's times count from here.
    void powerUp() {
        ASSERT_TRUE(cell.requestServo(1, kServoReady));
        ASSERT_TRUE(cell.setDeadman(1));
        base = SimCell::kPowerUpMs;
        at(0);
        ASSERT_EQ(servo(), kServoRunning);
        notices.clear();
    }
    int servo(int robot = 1) const { return cell.robot(robot).settings.servo; }
    bool busy() const { return cell.robot(1).busy(); }
    // Robot 1's joint 1 and its tool position, ms after power-up.
    double joint1(qint64 ms) { return at(ms).robot(1).joints()[0]; }
    PoseValues where(qint64 ms) { return at(ms).robot(1).pose().values(); }
    SimCell& at(qint64 ms) {
        now = base + ms;
        cell.advance();
        return cell;
    }
    bool move(Kind kind, int coord, int vel, std::vector<PoseValues> points) {
        return cell.move(1, MoveRequest{kind, coord, vel, std::move(points)});
    }
    std::vector<SimAlarm> alarms() const {
        std::vector<SimAlarm> raised;
        for (const SimNotice& notice : notices)
            if (notice.alarm)
                raised.push_back(*notice.alarm);
        return raised;
    }
    bool reported(SimReport report, int robot = 0) const {
        return std::any_of(notices.begin(), notices.end(), [&](const SimNotice& n) {
            return !n.alarm && n.report == report && n.robot == robot;
        });
    }

    qint64 now = 0, base = 0;
    SimCell cell;
    std::vector<SimNotice> notices;
};

double gap(const PoseValues& a, const PoseValues& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// A pose at the height of home, the tool pointing down.
PoseValues level(double x, double y) {
    return {x, y, 850, 180, 0, 0};
}

}  // namespace

TEST(SimCell, ServoFollowsRequestsTheEnablingSwitchModeChangesAndAlarms) {
    Cell c;
    struct Step {
        const char* what;
        std::function<bool(SimCell&)> act;
        bool accepted;
        int servoAfter;
    };
    // The motors run only once the power is up.
    const auto pressed = [&c](SimCell& s) {
        const bool accepted = s.setDeadman(1);
        c.at(c.now + SimCell::kPowerUpMs - 1);
        EXPECT_NE(c.servo(), kServoRunning);
        c.at(c.now + 1);
        return accepted;
    };
    const auto on = [](SimCell& s) { return s.requestServo(1, 1); };
    const Step steps[] = {
        {"switch while stopped", pressed, true, kServoStopped},
        {"servo on", on, true, kServoReady},
        {"switch pressed", pressed, true, kServoRunning},
        {"servo on while running", on, true, kServoReady},
        {"switch again", pressed, true, kServoRunning},
        {"switch released", [](auto& s) { return s.setDeadman(0); }, true, kServoReady},
        {"released before the power is up",
         [&c](SimCell& s) {
             s.setDeadman(1);
             const bool accepted = s.setDeadman(0);
             c.at(c.now + SimCell::kPowerUpMs);
             return accepted;
         },
         true, kServoReady},
        {"switch pressed", pressed, true, kServoRunning},
        {"remote mode", [](auto& s) { return s.setOperationMode(kRemoteMode); }, true, kServoReady},
        {"switch not in teach", [](auto& s) { return s.setDeadman(1); }, false, kServoReady},
        {"no such status", [](auto& s) { return s.requestServo(1, 3); }, false, kServoReady},
        {"no such robot", [](auto& s) { return s.requestServo(3, 1); }, false, kServoReady},
        {"alarm", [](auto& s) { return s.raiseServoAlarm(1); }, true, kServoAlarm},
        {"servo on in alarm", on, true, kServoAlarm},
        {"alarm cleared", [](auto& s) { return s.clearAlarms(1); }, true, kServoReady},
        {"servo off", [](auto& s) { return s.requestServo(1, 0); }, true, kServoStopped},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        c.notices.clear();
        EXPECT_EQ(step.act(c.cell), step.accepted);
        EXPECT_EQ(c.servo(), step.servoAfter);
        // What is accepted is reported, what is refused is not.
        EXPECT_EQ(c.reported(SimReport::Servo, 1), step.accepted);
    }
    EXPECT_EQ(c.servo(2), kServoStopped);  // robot 2 was never asked

    // A mode change reports the mode before the servo it switched off.
    Cell d;
    d.powerUp();
    ASSERT_TRUE(d.cell.setOperationMode(kRunMode));
    ASSERT_EQ(d.notices.size(), 2u);
    EXPECT_EQ(d.notices[0].report, SimReport::OperationMode);
    EXPECT_EQ(d.notices[1].report, SimReport::Servo);
    d.notices.clear();
    ASSERT_TRUE(d.cell.raiseServoAlarm(2));
    EXPECT_EQ(d.alarms(), std::vector<SimAlarm>{SimAlarm::ServoFault});
    EXPECT_EQ(d.notices[0].robot, 2);
}

TEST(SimCell, JointMovesRunAtTheirSpeedOneAfterAnotherAndStopAtTheTarget) {
    Cell c;
    c.powerUp();
    // Joint 1 at 50 % of 120 degrees per second: 60 degrees take a second.
    ASSERT_TRUE(c.move(Kind::Joint, 0, 50, {{60, 0, 0, 0, 0, 0}}));
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{0, 0, 0, 0, 0, 0}}));
    EXPECT_NEAR(c.joint1(500), 30, 1e-9);
    c.cell.tick();
    EXPECT_TRUE(c.reported(SimReport::Position, 1));
    EXPECT_NEAR(c.joint1(1000), 60, 1e-9);
    // The second starts the moment the first ends, wherever the clock is read.
    EXPECT_NEAR(c.joint1(1250), 30, 1e-9);
    EXPECT_TRUE(c.busy());
    EXPECT_EQ(c.at(5000).robot(1).joints(), Joints{});
    EXPECT_FALSE(c.busy());
    c.cell.tick();
    c.notices.clear();
    c.cell.tick();
    EXPECT_TRUE(c.notices.empty());  // standing still: nothing to report

    // A target given in Cartesian values, at full speed.
    ASSERT_TRUE(c.move(Kind::Joint, 1, 100, {{500, 300, 700, 180, 0, 0}}));
    EXPECT_LT(gap(c.where(10000), {500, 300, 700}), 1e-6);
    EXPECT_TRUE(c.alarms().empty());
}

TEST(SimCell, LinearAndCircularMovesKeepToTheirPath) {
    Cell c;
    c.powerUp();
    // 100 mm/s over 200 mm: two seconds, half way after one, the tool still pointing down.
    ASSERT_TRUE(c.move(Kind::Linear, 1, 100, {level(500, 200)}));
    EXPECT_LT(gap(c.where(1000), {500, 100, 850}), 0.1);
    EXPECT_LT(c.cell.robot(1).pose().orientation.angleTo(Pose::fromValues(kHome).orientation), 0.1);
    EXPECT_LT(gap(c.where(2000), {500, 200, 850}), 1e-6);

    // Back home on the arc through (600, 100), ending at (700, 0): centre (600, 0), radius 100.
    ASSERT_TRUE(c.move(Kind::Joint, 1, 100, {kHome}));
    c.at(10000);
    ASSERT_TRUE(c.move(Kind::Arc, 1, 100, {kHome, level(600, 100), level(700, 0)}));
    const double halfArcMs = 1000.0 * 3.14159265358979 * 100 / 2 / 100;
    for (const double fraction : {0.25, 0.5, 0.75}) {
        const PoseValues p = c.where(10000 + static_cast<qint64>(2 * halfArcMs * fraction));
        EXPECT_NEAR(std::hypot(p[0] - 600, p[1]), 100, 0.1) << fraction;
        EXPECT_NEAR(p[2], 850, 0.1);
    }
    EXPECT_LT(gap(c.where(10000 + static_cast<qint64>(halfArcMs)), {600, 100, 850}), 0.1);
    EXPECT_LT(gap(c.where(20000), {700, 0, 850}), 1e-6);
    EXPECT_TRUE(c.alarms().empty());

    ASSERT_TRUE(c.move(Kind::Arc, 1, 100, {kHome, level(600, 0), level(700, 0)}));
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::ArcPointsCollinear});
    EXPECT_FALSE(c.busy());
}

TEST(SimCell, AnUnreachableTargetRaisesItsAlarmWhenItsTurnComesAndDropsTheMovesBehindIt) {
    Cell c;
    c.powerUp();
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{30, 0, 0, 0, 0, 0}}));
    ASSERT_TRUE(c.move(Kind::Linear, 1, 100, {level(1500, 0)}));
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{-30, 0, 0, 0, 0, 0}}));
    EXPECT_TRUE(c.alarms().empty());  // not yet: the first move is under way
    EXPECT_NEAR(c.joint1(10000), 30, 1e-9);
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::TargetUnreachable});
    EXPECT_EQ(c.notices.back().robot, 1);
    EXPECT_FALSE(c.busy());

    // Joint targets beyond a limit, straight lines through the base's axis, absurd targets.
    c.notices.clear();
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{0, 0, 0, 0, 121, 0}}));
    ASSERT_TRUE(c.move(Kind::Linear, 1, 100, {{-500, 0, 850, 180, 0, 180}}));
    ASSERT_TRUE(c.move(Kind::Linear, 1, 100, {{1e308, -1e308, 0, 1e300, 0, 0}}));
    EXPECT_EQ(c.alarms().size(), 3u);
    EXPECT_NEAR(c.joint1(20000), 30, 1e-9);
}

TEST(SimCell, MovesNeedPowerAKnownCoordinateSystemAndAReadableTarget) {
    Cell c;
    ASSERT_TRUE(c.cell.requestServo(1, kServoReady));
    EXPECT_FALSE(c.move(Kind::Joint, 0, 50, {{10, 0, 0, 0, 0, 0}}));  // teach mode: not powered
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::ServoNotReady});
    ASSERT_TRUE(c.cell.setOperationMode(kRemoteMode));
    EXPECT_TRUE(c.move(Kind::Joint, 0, 50, {{10, 0, 0, 0, 0, 0}}));  // remote: ready is enough

    c.notices.clear();
    EXPECT_FALSE(c.move(Kind::Joint, 4, 50, {{10, 0, 0, 0, 0, 0}}));
    EXPECT_FALSE(c.move(Kind::Linear, 1, 50, {}));
    EXPECT_FALSE(c.move(Kind::Arc, 1, 50, {kHome}));
    EXPECT_FALSE(c.move(Kind::Linear, 1, 50, {{NAN, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(c.alarms(),
              (std::vector<SimAlarm>{SimAlarm::InvalidCoordinate, SimAlarm::TargetUnreachable,
                                     SimAlarm::TargetUnreachable, SimAlarm::TargetUnreachable}));

    c.notices.clear();
    int queued = 0;
    while (c.move(Kind::Joint, 0, 1, {{10.0 * (queued % 2), 0, 0, 0, 0, 0}}) && queued < 1000)
        ++queued;
    EXPECT_EQ(queued, 64);  // waiting behind the move under way
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::MoveQueueFull});
    ASSERT_TRUE(c.cell.setOperationMode(kTeachMode));  // a mode change stops everything
    EXPECT_FALSE(c.busy());
}

TEST(SimCell, JoggingFollowsTheCoordinateSystemAndTheSpeedAndStopsAtALimit) {
    Cell c;
    c.powerUp();
    // Joints at 50 % of 30 degrees per second; a stop for another axis does not stop it.
    ASSERT_TRUE(c.cell.setSpeed(1, 50));
    ASSERT_TRUE(c.cell.startJog(1, -1));
    c.cell.stopMove(2);
    EXPECT_NEAR(c.joint1(2000), -30, 1e-9);
    c.cell.stopMove(1);
    EXPECT_NEAR(c.joint1(4000), -30, 1e-9);
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{160, 0, 0, 0, 0, 0}}));
    c.at(10000);

    // At 100 % the joint reaches its limit of 170 after a third of a second and stops there.
    ASSERT_TRUE(c.cell.setSpeed(1, 100));
    ASSERT_TRUE(c.cell.startJog(1, 1));
    EXPECT_NEAR(c.joint1(12000), 170, 1e-9);
    EXPECT_FALSE(c.cell.robot(1).jogging());
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::JogLimit});
    ASSERT_TRUE(c.move(Kind::Joint, 0, 100, {{0, 0, 0, 0, 0, 0}}));
    c.at(20000);

    // Cartesian: axis 3 moves along z alone, at 100 mm/s.
    ASSERT_TRUE(c.cell.setCoord(1, kCartesianCoord));
    ASSERT_TRUE(c.cell.startJog(3, -1));
    EXPECT_LT(gap(c.where(21000), {500, 0, 750}), 1e-6);
    c.cell.stopJogs();
    // Inching: one step per command, 1 mm at 101; 0.01 degrees of a joint at 102.
    ASSERT_TRUE(c.cell.setSpeed(1, 101));
    ASSERT_TRUE(c.cell.startJog(2, 1));
    EXPECT_LT(gap(c.where(30000), {500, 1, 750}), 1e-6);
    ASSERT_TRUE(c.cell.setCoord(1, kJointCoord));
    ASSERT_TRUE(c.cell.setSpeed(1, 102));
    const double joint6 = c.at(30000).robot(1).joints()[5];
    ASSERT_TRUE(c.cell.startJog(6, -1));
    EXPECT_NEAR(c.at(31000).robot(1).joints()[5], joint6 - 0.01, 1e-9);

    // Refused: no such axis or direction, a robot on its way, the power off.
    c.notices.clear();
    EXPECT_FALSE(c.cell.startJog(7, 1));
    EXPECT_FALSE(c.cell.startJog(1, 0));
    ASSERT_TRUE(c.move(Kind::Joint, 0, 1, {{10, 0, 0, 0, 0, 0}}));
    EXPECT_FALSE(c.cell.startJog(1, 1));
    // A stop for any axis ends a move where the robot stands.
    const double underWay = c.joint1(31500);
    EXPECT_GT(underWay, 0);
    c.cell.stopMove(4);
    EXPECT_FALSE(c.busy());
    EXPECT_EQ(c.joint1(32000), underWay);
    ASSERT_TRUE(c.move(Kind::Joint, 0, 1, {{10, 0, 0, 0, 0, 0}}));
    ASSERT_TRUE(c.cell.setDeadman(0));
    EXPECT_FALSE(c.busy());
    EXPECT_FALSE(c.cell.startJog(1, 1));
    EXPECT_EQ(c.alarms(), std::vector<SimAlarm>{SimAlarm::ServoNotReady});
}

TEST(SimCell, OutputsAreWiredBackToTheInputsAndBadValuesAreRefused) {
    Cell c;
    ASSERT_TRUE(c.cell.setDout(3, 1));
    EXPECT_EQ(c.cell.dout()[2], 1);
    EXPECT_EQ(c.cell.din()[2], 1);
    EXPECT_TRUE(c.reported(SimReport::Dout));
    EXPECT_TRUE(c.reported(SimReport::Din));
    c.notices.clear();
    ASSERT_TRUE(c.cell.setDout(3, 1));  // reported again; the input did not change
    EXPECT_TRUE(c.reported(SimReport::Dout));
    EXPECT_FALSE(c.reported(SimReport::Din));
    ASSERT_TRUE(c.cell.setDin(3, 0));  // the input alone
    EXPECT_EQ(c.cell.dout()[2], 1);
    ASSERT_TRUE(c.cell.setDout(128, 1));

    ASSERT_TRUE(c.cell.setAout(16, 2.6));
    EXPECT_EQ(c.cell.aout()[15], 3);
    EXPECT_EQ(c.cell.ain()[15], 3);
    ASSERT_TRUE(c.cell.setAout(1, -10000));

    // Refused, and not reported: ports, values, codes and robots out of range.
    c.notices.clear();
    const bool refused[] = {
        c.cell.setDout(0, 1),   c.cell.setDout(129, 1),     c.cell.setDout(1, 2),
        c.cell.setDin(1, 2),    c.cell.setDin(129, 1),      c.cell.setAout(17, 1),
        c.cell.setAout(1, NAN), c.cell.setAout(1, 1e300),   c.cell.setAin(1, 10001),
        c.cell.setCoord(1, 4),  c.cell.setSpeed(1, 104),    c.cell.setSpeed(1, -1),
        c.cell.setTool(1, 16),  c.cell.setOperationMode(3), c.cell.select(2, 1),
        c.cell.select(0, 3),
    };
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_FALSE(refused[i]) << "call " << i;
    EXPECT_TRUE(c.notices.empty());

    // Selecting robot 2 makes it the one the enabling switch and jogging act on.
    ASSERT_TRUE(c.cell.select(1, 2));
    ASSERT_TRUE(c.cell.requestServo(2, kServoReady));
    ASSERT_TRUE(c.cell.setDeadman(1));
    c.at(SimCell::kPowerUpMs);
    EXPECT_EQ(c.servo(2), kServoRunning);
    EXPECT_EQ(c.servo(1), kServoStopped);
}
