#include "motionqueuefamily.h"

#include "simpayload.h"

#include "link/jsonwire.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace kelvo::sim {

namespace {

constexpr quint16 kSocketStateReport = 0x50B3;
constexpr double kFastest = 10000;  // beyond any speed the planner allows

// Instruction type codes of the queue: joint, linear, arc and circle moves, and their forms with
// external axes.
constexpr int kJointMoves[] = {1, 32};
constexpr int kOtherMoves[] = {2, 3, 4, 33, 34};

bool oneOf(int type, const int* begin, const int* end) {
    return std::find(begin, end, type) != end;
}

std::optional<MoveRequest> moveFor(const Json::Value& instruction) {
    int type = 0;
    double velocity = 0;
    if (!json::toInt(json::member(instruction, "type"), &type) ||
        !json::toDouble(json::member(instruction, "velocity"), &velocity))
        return std::nullopt;
    MoveRequest move;
    if (oneOf(type, std::begin(kJointMoves), std::end(kJointMoves)))
        move.kind = MoveRequest::Kind::Joint;
    else if (oneOf(type, std::begin(kOtherMoves), std::end(kOtherMoves)))
        move.kind = MoveRequest::Kind::Linear;
    else
        return std::nullopt;
    move.coord = kJointCoord;
    move.vel = static_cast<int>(std::clamp(velocity, 0.0, kFastest));
    const Json::Value& values = json::member(json::member(instruction, "RobotPos"), "data");
    PoseValues target{};
    for (Json::ArrayIndex i = 0; i < target.size(); ++i) {
        const Json::Value& value = json::element(values, i);
        if (value.isNull() || !json::toDouble(value, &target[i]))
            return std::nullopt;
    }
    move.points = {target};
    return move;
}

// The moves of a queue's "data", nulls left out; empty when one cannot be read.
std::optional<std::vector<MoveRequest>> movesOf(const QByteArray& payload) {
    const Json::Value body = json::parse(payload).value_or(Json::Value());
    const Json::Value& data = json::member(body, "data");
    std::vector<MoveRequest> moves;
    if (!data.isArray())
        return moves;
    for (const Json::Value& instruction : data) {
        if (instruction.isNull())
            continue;
        std::optional<MoveRequest> move = moveFor(instruction);
        if (!move)
            return std::nullopt;
        moves.push_back(std::move(*move));
    }
    return moves;
}

}  // namespace

MotionQueueFamily::MotionQueueFamily(SimController& controller, SimCell& cell)
    : CellFamily(controller, cell), feeder_(new QTimer(&controller)) {
    controller_.on(
        0x50B1, [this](QTcpSocket* client, const Frame& frame) { setOpen(client, frame.payload); });
    controller_.on(0x50B4, [this](QTcpSocket*, const Frame& frame) { enqueue(frame.payload); });
    QObject::connect(feeder_, &QTimer::timeout, feeder_, [this] { feed(); });
    feeder_->start(kFeedMs);
}

MotionQueueFamily::~MotionQueueFamily() {
    delete feeder_;
}

void MotionQueueFamily::setOpen(QTcpSocket* client, const QByteArray& payload) {
    const SimPayload request(payload);
    const std::optional<int> robot = request.robot(cell_);
    const std::optional<bool> open = request.boolean("open");
    if (!robot || !open)
        return;
    Stream& stream = streamOf(*robot);
    stream.open = *open;
    if (!stream.open)
        stream.points.clear();
    Json::Value state(Json::objectValue);
    state["open"] = stream.open;
    state["robot"] = *robot;
    controller_.reply(client, kSocketStateReport, json::write(state).value_or(QByteArray()));
}

void MotionQueueFamily::enqueue(const QByteArray& payload) {
    const std::optional<int> robot = SimPayload(payload).robot(cell_);
    if (!robot || !streamOf(*robot).open)
        return;
    if (const std::optional<std::vector<MoveRequest>> moves = movesOf(payload)) {
        Stream& stream = streamOf(*robot);
        stream.points.insert(stream.points.end(), moves->begin(), moves->end());
        feed();
    }
}

void MotionQueueFamily::feed() {
    for (int robot = 1; robot <= cell_.robotCount(); ++robot) {
        Stream& stream = streamOf(robot);
        if (stream.points.empty() || cell_.robot(robot).busy())
            continue;
        for (size_t sent = 0; sent < kBatch && !stream.points.empty(); ++sent) {
            const bool accepted = cell_.move(robot, stream.points.front());
            stream.points.pop_front();
            if (!accepted) {
                // The controller has raised its alarm; the rest of the path makes no sense.
                stream.points.clear();
            }
        }
    }
}

}  // namespace kelvo::sim
