#include "modefamily.h"

#include "simpayload.h"

namespace kelvo::sim {

ModeFamily::ModeFamily(SimController& controller, SimCell& cell) : CellFamily(controller, cell) {
    controller_.on(0x2101, [this](QTcpSocket* client, const Frame& frame) {
        const int mode = SimPayload(frame.payload).integer("mode").value_or(-1);
        answerIfRefused(cell_.setOperationMode(mode), client, SimReport::OperationMode);
    });
    controller_.on(0x2201, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        if (const std::optional<int> robot = payload.robot(cell_)) {
            answerIfRefused(cell_.setCoord(*robot, payload.integer("coord").value_or(-1)), client,
                            SimReport::Coord, *robot);
        }
    });
    controller_.on(0x2601, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        if (const std::optional<int> robot = payload.robot(cell_)) {
            answerIfRefused(cell_.setSpeed(*robot, payload.integer("speed").value_or(-1)), client,
                            SimReport::Speed, *robot);
        }
    });
    controller_.on(0x5001, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        answerIfRefused(cell_.select(payload.integer("mode").value_or(-1),
                                     payload.integer("robot").value_or(0)),
                        client, SimReport::Selection);
    });
}

}  // namespace kelvo::sim
