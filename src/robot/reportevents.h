#pragma once

#include "robot/robotevent.h"

#include <QByteArray>
#include <QObject>

#include <functional>

class TcpConnectModule;

// Turns the reports a host wants to hear of into events, in the connection thread as they arrive,
// whatever the state cache makes of them. Each keeps its report, read by RobotEvent::decode.
class ReportEvents : public QObject {
    Q_OBJECT

public:
    using Sink = std::function<void(RobotEvent)>;

    // Connects to the link's reports; sink is called in the connection thread.
    ReportEvents(TcpConnectModule* from, Sink sink);

    // Stamps and hands on an event made elsewhere (the file transfer).
    void post(RobotEvent event) const;

private:
    void onLink(int state);
    void onReport(int kind, int code, const QByteArray& data) const;

    Sink sink_;
    int linkState_ = -1;  // connection thread only
};
