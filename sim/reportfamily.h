#pragma once

#include "cellfamily.h"

namespace kelvo::sim {

// The state queries, each answered with its report; and every change of the controller's state
// pushed to every client as the same report (unless the controller reports no changes), alarms as
// alarm reports. A new connection is told the robot type, the robot count and the robot selection.
class ReportFamily : public CellFamily {
public:
    ReportFamily(SimController& controller, SimCell& cell);
    ~ReportFamily() override;

private:
    void publish(const SimNotice& notice);
    void pushReport(SimReport report, int robot);
    void greet();

    QObject* greeter_;  // a child of the controller, so it lives in the controller's thread
};

}  // namespace kelvo::sim
