#include "iofamily.h"

#include "simpayload.h"

#include <limits>

namespace kelvo::sim {

IoFamily::IoFamily(SimController& controller, SimCell& cell) : CellFamily(controller, cell) {
    controller_.on(0x3601, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        answerIfRefused(cell_.setDout(payload.integer("port").value_or(0),
                                      payload.integer("status").value_or(-1)),
                        client, SimReport::Dout);
    });
    controller_.on(0x3607, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        answerIfRefused(cell_.setAout(payload.integer("port").value_or(0),
                                      payload.number("value").value_or(
                                          std::numeric_limits<double>::quiet_NaN())),
                        client, SimReport::Aout);
    });
}

}  // namespace kelvo::sim
