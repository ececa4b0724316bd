#include "simreports.h"

#include "link/jsonwire.h"

#include <cmath>

namespace kelvo::sim {

namespace {

constexpr int kSixAxisRobot = 1;    // robot type code of a six-axis arm
constexpr int kTeachTypeJog = 0;    // teaching by jogging (not by dragging)
constexpr int kPositionValues = 7;  // a position report carries seven values
constexpr int kSyncAxes = 5;

// clang-format off
constexpr SimReports::Words kWords[] = {
    {SimReport::Servo,         0x2002, 0x2003, true},
    {SimReport::Deadman,       0x2302, 0x2303, false},
    {SimReport::OperationMode, 0x2102, 0x2103, false},
    {SimReport::TeachType,     0x2105, 0x2106, false},
    {SimReport::Coord,         0x2202, 0x2203, true},
    {SimReport::Speed,         0x2602, 0x2603, true},
    {SimReport::Tool,          0x380B, 0x380C, true},
    {SimReport::UserCoord,     0x3C0B, 0x3C0C, true},
    {SimReport::Selection,     0x5002, 0x5003, false},
    {SimReport::RobotCount,    0x2E05, 0x2E06, false},
    {SimReport::RobotType,     0x2E02, 0x2E03, false},
    {SimReport::Dout,          0x3602, 0x3603, false},
    {SimReport::Din,           0x3605, 0x3606, false},
    {SimReport::Aout,          0x3608, 0x3609, false},
    {SimReport::Ain,           0x360A, 0x360B, false},
    {SimReport::RunningState,  0x3D02, 0x3D03, true},
    {SimReport::Position,      0x2A02, 0x2A03, true},
};
// clang-format on

// Micrometres and thousandths of a degree are plenty; this also keeps -0 out of the reports.
double tidy(double value) {
    return std::round(value * 1e6) / 1e6 + 0.0;
}

template <typename Values>
Json::Value array(const Values& values) {
    Json::Value list(Json::arrayValue);
    for (const auto value : values)
        list.append(value);
    return list;
}

Json::Value positionValues(const SimRobot& robot, int coord) {
    Json::Value list(Json::arrayValue);
    if (coord == kJointCoord) {
        for (const double value : robot.joints())
            list.append(tidy(value));
    } else {
        for (const double value : robot.pose().values())
            list.append(tidy(value));
    }
    while (list.size() < kPositionValues)
        list.append(0.0);
    return list;
}

Json::Value forRobot(int robot) {
    Json::Value body(Json::objectValue);
    body["robot"] = robot;
    return body;
}

Json::Value body(SimReport report, const SimCell& cell, int robot) {
    Json::Value body(Json::objectValue);
    // The reports of one robot name it.
    const auto of = [&]() -> const SimRobot& {
        body["robot"] = robot;
        return cell.robot(robot);
    };
    switch (report) {
        case SimReport::Servo:
            body["status"] = of().settings.servo;
            body["mode"] = cell.selectionMode();
            break;
        case SimReport::Coord:
            body["coord"] = of().settings.coord;
            break;
        case SimReport::Speed:
            body["speed"] = of().settings.speed;
            break;
        case SimReport::Tool:
            body["curToolNum"] = of().settings.tool;
            break;
        case SimReport::UserCoord:
            body["curUserNum"] = of().settings.user;
            break;
        case SimReport::RunningState:
            body["status"] = of().settings.running;
            break;
        case SimReport::Position:
            body["coord"] = of().settings.coord;
            body["posDeg"] = positionValues(of(), of().settings.coord);
            break;
        case SimReport::Deadman:
            body["deadman"] = cell.deadman() ? 1 : 0;
            break;
        case SimReport::OperationMode:
            body["mode"] = cell.operationMode();
            break;
        case SimReport::TeachType:
            body["teachType"] = kTeachTypeJog;
            break;
        case SimReport::Selection:
            body["mode"] = cell.selectionMode();
            body["robot"] = cell.selectedRobot();
            break;
        case SimReport::RobotCount:
            body["sum"] = cell.robotCount();
            break;
        case SimReport::RobotType:
            body["type"] = kSixAxisRobot;
            break;
        case SimReport::Dout:
            body["status"] = array(cell.dout());
            break;
        case SimReport::Din:
            body["status"] = array(cell.din());
            break;
        case SimReport::Aout:
            body["value"] = array(cell.aout());
            break;
        case SimReport::Ain:
            body["value"] = array(cell.ain());
            break;
    }
    return body;
}

}  // namespace

const SimReports::Words* SimReports::begin() {
    return std::begin(kWords);
}

const SimReports::Words* SimReports::end() {
    return std::end(kWords);
}

quint16 SimReports::word(SimReport report) {
    for (const Words& words : kWords) {
        if (words.report == report)
            return words.word;
    }
    return 0;
}

QByteArray SimReports::payload(SimReport report, const SimCell& cell, int robot) {
    return json::write(body(report, cell, robot)).value_or(QByteArray());
}

QByteArray SimReports::currentPosition(const SimCell& cell, int robot, int coord) {
    Json::Value body = forRobot(robot);
    body["coord"] = coord;
    body["pos"] = positionValues(cell.robot(robot), coord);
    body["posDeg"] = body["pos"];
    return json::write(body).value_or(QByteArray());
}

QByteArray SimReports::syncPosition(int robot, int coord) {
    Json::Value body = forRobot(robot);
    body["coord"] = coord;
    body["posSync"] = array(std::array<double, kSyncAxes>{});
    return json::write(body).value_or(QByteArray());
}

}  // namespace kelvo::sim
