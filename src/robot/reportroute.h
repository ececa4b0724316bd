#pragma once

#include "message/tcpconnectmodule.h"
#include "robot/robot.h"

#include <initializer_list>

namespace kelvo {

// One report connection: a message-layer signal and the Robot slot (or relayed Robot signal) that
// receives it, with the same arguments.
template <typename... Args>
struct ReportRoute {
    void (TcpConnectModule::*report)(Args...);
    void (Robot::*receiver)(Args...);
};

template <typename... Args>
void connectRoutes(TcpConnectModule* from, Robot* to,
                   std::initializer_list<ReportRoute<Args...>> routes,
                   Qt::ConnectionType type = Qt::AutoConnection) {
    for (const ReportRoute<Args...>& route : routes) {
        QObject::connect(from, route.report, to, route.receiver, type);
    }
}

}  // namespace kelvo
