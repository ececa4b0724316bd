#include "simlink.h"

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

std::unique_ptr<Robot> linkRobot(kelvo::sim::SimHarness& sim) {
    auto robot = std::make_unique<Robot>(sim.address(), sim.port());
    robot->startLink();
    robot->robot_startConnectToC();  // attempt now rather than at the first check tick
    waitFor([&] { return robot->connected(); }, 8000);
    sim.waitForAccepted(1, 3000);
    return robot;
}
