#pragma once

#include "simcell.h"

#include <QByteArray>
#include <QtGlobal>

namespace kelvo::sim {

// The state reports of the simulated controller: for each state the query that asks for it, the
// report that answers the query and is pushed when the state is set, and its payload.
class SimReports {
public:
    struct Words {
        SimReport report;
        quint16 query;
        quint16 word;
        bool perRobot;  // the query names a robot ("robot") and so does the report
    };

    static const Words* begin();
    static const Words* end();
    static quint16 word(SimReport report);
    // robot: 1 to the cell's robot count, for the reports of one robot.
    static QByteArray payload(SimReport report, const SimCell& cell, int robot);

    // 0x2F08: "pos" and "posDeg" (the same values) in coordinate system coord: six joint angles,
    // or x, y, z, rx, ry, rz; a seventh value 0 for an axis this arm does not have.
    static constexpr quint16 kCurrentPosition = 0x2F08;
    static QByteArray currentPosition(const SimCell& cell, int robot, int coord);
    // 0x7013: this arm has no external axes, so all five read 0.
    static QByteArray syncPosition(int robot, int coord);
};

}  // namespace kelvo::sim
