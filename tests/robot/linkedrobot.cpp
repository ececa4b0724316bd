#include "linkedrobot.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

LinkedRobot::LinkedRobot() {
    const quint16 port = sim.start();
    robot = std::make_unique<Robot>(QStringLiteral("127.0.0.1"), port);
    robot->startLink();
    robot->robot_startConnectToC();  // attempt now rather than at the first check tick
    waitFor([this] { return connected(); });
}

LinkedRobot::~LinkedRobot() {
    // The selection is process-wide: leave it as a fresh process has it.
    Robot::setCurrentRobot(1, 1);
    Robot::setCurrentRobot(0, 1);
}

bool LinkedRobot::flush() {
    const QByteArray mark = "barrier " + QByteArray::number(++barriers_);
    bool seen = false;
    QObject context;
    QObject::connect(robot.get(), &Robot::robot_received_data, &context,
                     [&](quint16 word, const QByteArray& data) {
                         seen = seen || (word == kUnknownWord && data == mark);
                     });
    sim.sendReport(kUnknownWord, mark);
    return waitFor([&] { return seen; });
}
