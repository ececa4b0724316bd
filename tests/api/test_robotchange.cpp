// The controller's robot-change report reaches the library while the host sits idle, without any
// event loop of its own.

#include "apitest.h"

namespace {

void changeRobot(SimProcess& sim, const std::string& payload) {
    ASSERT_TRUE(sim.report(word::kChangeRobotReport, payload));
    sleepMs(500);  // the host does nothing
}

void expectRobotInPayloads(SimProcess& sim, int robot) {
    const std::string number = std::to_string(robot);
    set_jogging_speed(10);
    expectNextFrame(sim, 0x2601, json(R"({"robot":)" + number + R"(,"speed":10})"));
    const double pos[6] = {0, 0, 0, 0, 0, 0};
    robot_movj(pos, 5, 0);
    expectNextFrame(
        sim, 0x4501,
        json(R"({"coord":0,"pos":[0.0,0.0,0.0,0.0,0.0,0.0],"robot":)" + number + R"(,"vel":5})"));
}

}  // namespace

TEST(RobotChange, ReportsChangeTheRobotOfLaterPayloadsWhileTheHostIsIdle) {
    SimProcess sim("127.0.6.6");
    connectTo(sim, "127.0.6.6");
    expectRobotInPayloads(sim, 1);

    changeRobot(sim, json(R"({"mode":0,"robot":2})"));
    expectRobotInPayloads(sim, 2);
    changeRobot(sim, json(R"({"mode":1,"robot":3})"));
    expectRobotInPayloads(sim, 3);

    for (const char* bad :
         {"not json", R"({"mode":0})", R"({"robot":4})", R"({"mode":"0","robot":4})"}) {
        changeRobot(sim, json(bad));
        SCOPED_TRACE(bad);
        expectRobotInPayloads(sim, 3);
    }
}
