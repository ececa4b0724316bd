#include "servofamily.h"

#include "simpayload.h"

namespace kelvo::sim {

ServoFamily::ServoFamily(SimController& controller, SimCell& cell) : CellFamily(controller, cell) {
    controller_.on(0x2001, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        if (const std::optional<int> robot = payload.robot(cell_)) {
            answerIfRefused(cell_.requestServo(*robot, payload.integer("status").value_or(-1)),
                            client, SimReport::Servo, *robot);
        }
    });
    controller_.on(0x2301, [this](QTcpSocket* client, const Frame& frame) {
        const int pressed = SimPayload(frame.payload).integer("deadman").value_or(-1);
        answerIfRefused(cell_.setDeadman(pressed), client, SimReport::Servo, cell_.selectedRobot());
    });
    controller_.on(0x3201, [this](QTcpSocket*, const Frame& frame) {
        if (const std::optional<int> robot = SimPayload(frame.payload).robot(cell_))
            cell_.clearAlarms(*robot);
    });
    controller_.on(0x2B01,
                   [this](QTcpSocket*, const Frame&) { cell_.clearAlarms(cell_.selectedRobot()); });
}

}  // namespace kelvo::sim
