#include "motionfamily.h"

#include "simpayload.h"

#include <vector>

namespace kelvo::sim {

namespace {

constexpr quint16 kSyncPositionReport = 0x7013;

}  // namespace

MotionFamily::MotionFamily(SimController& controller, SimCell& cell)
    : CellFamily(controller, cell), ticker_(new QTimer(&controller)) {
    controller_.on(0x4501, [this](QTcpSocket*, const Frame& frame) {
        move(frame.payload, MoveRequest::Kind::Joint);
    });
    controller_.on(0x4502, [this](QTcpSocket*, const Frame& frame) {
        move(frame.payload, MoveRequest::Kind::Linear);
    });
    controller_.on(0x4503, [this](QTcpSocket*, const Frame& frame) {
        const bool full = SimPayload(frame.payload).boolean("isFull").value_or(false);
        move(frame.payload, full ? MoveRequest::Kind::FullCircle : MoveRequest::Kind::Arc);
    });
    controller_.on(0x2901, [this](QTcpSocket*, const Frame& frame) {
        const SimPayload payload(frame.payload);
        cell_.startJog(payload.integer("axis").value_or(0),
                       payload.integer("direction").value_or(0));
    });
    controller_.on(0x2902, [this](QTcpSocket*, const Frame& frame) {
        cell_.stopMove(SimPayload(frame.payload).integer("axis").value_or(0));
    });
    controller_.on(0x2F07, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        const std::optional<int> robot = payload.robot(cell_);
        const int coord = payload.integer("coord").value_or(kJointCoord);
        if (!robot || coord < kJointCoord || coord > kUserCoord)
            return;
        cell_.advance();
        controller_.reply(client, SimReports::kCurrentPosition,
                          SimReports::currentPosition(cell_, *robot, coord));
    });
    controller_.on(0x7012, [this](QTcpSocket* client, const Frame& frame) {
        const SimPayload payload(frame.payload);
        if (const std::optional<int> robot = payload.robot(cell_)) {
            controller_.reply(
                client, kSyncPositionReport,
                SimReports::syncPosition(*robot, payload.integer("coord").value_or(0)));
        }
    });
    QObject::connect(ticker_, &QTimer::timeout, ticker_, [this] { cell_.tick(); });
    ticker_->start(kTickMs);
    lastClientGone_ = QObject::connect(&controller_, &SimController::clientClosed, ticker_, [this] {
        if (controller_.openClients() == 0)
            cell_.stopJogs();
    });
}

MotionFamily::~MotionFamily() {
    QObject::disconnect(lastClientGone_);
    delete ticker_;
}

void MotionFamily::move(const QByteArray& bytes, MoveRequest::Kind kind) {
    const SimPayload payload(bytes);
    const std::optional<int> robot = payload.robot(cell_);
    if (!robot)
        return;
    MoveRequest request;
    request.kind = kind;
    request.coord = payload.integer("coord").value_or(kJointCoord);
    request.vel = payload.integer("vel").value_or(0);
    const bool circle = kind == MoveRequest::Kind::Arc || kind == MoveRequest::Kind::FullCircle;
    const std::vector<const char*> keys =
        circle ? std::vector<const char*>{"posOne", "posTwo", "posThree"}
               : std::vector<const char*>{"pos"};
    for (const char* key : keys) {
        if (const std::optional<PoseValues> point = payload.point(key))
            request.points.push_back(*point);
    }
    cell_.move(*robot, request);
}

}  // namespace kelvo::sim
