#pragma once

#include "simcell.h"
#include "simcontroller.h"
#include "simfamily.h"
#include "simreports.h"

namespace kelvo::sim {

// A message family that acts on the controller's state. Accepted commands are reported through
// the cell's notices (ReportFamily); a refused one is answered with the state it left unchanged.
class CellFamily : public SimFamily {
public:
    CellFamily(SimController& controller, SimCell& cell) : SimFamily(controller), cell_(cell) {}

protected:
    void answer(QTcpSocket* client, SimReport report, int robot = 0) {
        controller_.reply(client, SimReports::word(report),
                          SimReports::payload(report, cell_, robot));
    }
    void answerIfRefused(bool accepted, QTcpSocket* client, SimReport report, int robot = 0) {
        if (!accepted)
            answer(client, report, robot);
    }

    SimCell& cell_;
};

}  // namespace kelvo::sim
