#include "reportfamily.h"

#include "simpayload.h"

namespace kelvo::sim {

ReportFamily::ReportFamily(SimController& controller, SimCell& cell)
    : CellFamily(controller, cell), greeter_(new QObject(&controller)) {
    for (const SimReports::Words* words = SimReports::begin(); words != SimReports::end();
         ++words) {
        const SimReport report = words->report;
        const bool perRobot = words->perRobot;
        controller_.on(words->query, [this, report, perRobot](QTcpSocket* client,
                                                              const Frame& frame) {
            const std::optional<int> robot = perRobot ? SimPayload(frame.payload).robot(cell_) : 0;
            if (!robot)
                return;
            cell_.advance();
            answer(client, report, *robot);
        });
    }
    cell_.setListener([this](const SimNotice& notice) { publish(notice); });
    // Queued: the connection is announced (the console's "accepted") before its first frame.
    QObject::connect(
        &controller_, &SimController::clientAccepted, greeter_, [this](int) { greet(); },
        Qt::QueuedConnection);
}

ReportFamily::~ReportFamily() {
    delete greeter_;  // and with it any greeting still queued
    cell_.setListener(nullptr);
}

void ReportFamily::publish(const SimNotice& notice) {
    if (notice.alarm) {
        controller_.push(alarmWord(*notice.alarm), alarmPayload(*notice.alarm, notice.robot));
        return;
    }
    if (controller_.reportsChanges())
        pushReport(notice.report, notice.robot);
}

void ReportFamily::pushReport(SimReport report, int robot) {
    controller_.push(SimReports::word(report), SimReports::payload(report, cell_, robot));
}

void ReportFamily::greet() {
    for (const SimReport report :
         {SimReport::RobotType, SimReport::RobotCount, SimReport::Selection})
        pushReport(report, 0);
}

}  // namespace kelvo::sim
