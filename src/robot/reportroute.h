#pragma once

#include "message/tcpconnectmodule.h"

#include <initializer_list>

namespace kelvo {

// One report connection: a message-layer signal and the slot (or relayed signal) of Receiver that
// receives it, with the same arguments.
template <typename Receiver, typename... Args>
struct ReportRoute {
    void (TcpConnectModule::*report)(Args...);
    void (Receiver::*receiver)(Args...);
};

template <typename... Args, typename Receiver>
void connectRoutes(TcpConnectModule* from, Receiver* to,
                   std::initializer_list<ReportRoute<Receiver, Args...>> routes,
                   Qt::ConnectionType type = Qt::AutoConnection) {
    for (const ReportRoute<Receiver, Args...>& route : routes) {
        QObject::connect(from, route.report, to, route.receiver, type);
    }
}

}  // namespace kelvo
