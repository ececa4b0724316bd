#include "linkedrobot.h"

LinkedRobot::LinkedRobot() {
    sim.start();
    robot = linkRobot(sim);
}

bool LinkedRobot::flush() {
    const QByteArray mark = "barrier " + QByteArray::number(++barriers_);
    bool seen = false;
    QObject context;
    QObject::connect(&robot->decodedReports(), &DecodedReports::robot_received_data, &context,
                     [&](quint16 word, const QByteArray& data) {
                         seen = seen || (word == kUnknownWord && data == mark);
                     });
    sim.sendReport(kUnknownWord, mark);
    return waitFor([&] { return seen; });
}
