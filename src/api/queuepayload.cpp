#include "queuepayload.h"

#include "link/frame.h"
#include "link/jsonwire.h"

#include <algorithm>
#include <optional>

namespace kelvo::api {

namespace {

struct PointType {
    int32_t point;
    int instruction;  // the MoveCommand type code
    bool copiesSpin;
    int positionValues;
};

// clang-format off
constexpr PointType kPointTypes[] = {
    {1, 1,  false, 13},  // MOVJ
    {2, 2,  false, 13},  // MOVL
    {3, 3,  false, 13},  // MOVC
    {4, 4,  true,  13},  // MOVCA
    {5, 32, false, 19},  // MOVJEXT
    {6, 33, true,  19},  // MOVLEXT
    {7, 34, true,  19},  // MOVCEXT
};
// clang-format on

const PointType* typeOf(const ContinuousMotionPoint& point) {
    const auto found =
        std::find_if(std::begin(kPointTypes), std::end(kPointTypes),
                     [&](const PointType& type) { return type.point == point.type; });
    return found == std::end(kPointTypes) ? nullptr : found;
}

// The text between the brackets of "data": every element counted, but kept only while the whole
// can still fit a frame.
class DataText {
public:
    // element goes to index; the indices skipped since the last one read null.
    void add(qint64 index, const QByteArray& element) {
        for (; next_ < index; ++next_)
            append(QByteArrayLiteral("null"));
        append(element);
        ++next_;
    }
    bool empty() const { return size_ == 0; }
    qint64 size() const { return size_; }
    const QByteArray& text() const { return text_; }

private:
    void append(const QByteArray& element) {
        if (size_ > 0)
            put(QByteArrayLiteral(","));
        put(element);
    }
    void put(const QByteArray& bytes) {
        size_ += bytes.size();
        if (size_ <= kMaxPayloadSize)
            text_ += bytes;
    }

    QByteArray text_;
    qint64 size_ = 0;
    qint64 next_ = 0;
};

}  // namespace

std::unique_ptr<MoveCommand> instructionFor(const ContinuousMotionPoint& point) {
    const PointType* type = typeOf(point);
    if (!type)
        return nullptr;
    auto move = std::make_unique<MoveCommand>(type->instruction);
    move->velocity = point.velocity;
    move->acc = point.acc;
    move->dec = point.dec;
    move->pl = point.pl;
    if (type->copiesSpin)
        move->spin = point.spin;
    move->robotPos = std::make_unique<RobotPos>();
    std::copy_n(point.pos, type->positionValues, move->robotPos->data.begin());
    return move;
}

QueuePayload writeQueuePayload(int robot, const ContinuousMotionPoint* points, unsigned int count) {
    QueuePayload result;
    DataText data;
    for (unsigned int i = 0; i < count; ++i) {
        const std::unique_ptr<MoveCommand> move = instructionFor(points[i]);
        if (!move)
            continue;
        std::optional<QByteArray> element = json::write(move->toJson());
        if (!element) {
            result.outcome = QueuePayload::Outcome::NotFinite;
            result.point = i;
            return result;
        }
        element->chop(1);  // the line feed closes the whole payload only
        data.add(i, *element);
    }

    if (data.empty()) {
        Json::Value root(Json::objectValue);
        root["robot"] = robot;
        result.text = json::write(root).value_or(QByteArray());
        result.size = result.text.size();
        return result;
    }
    // {"data":[...],"robot":n} as the writer puts it: members in key order, no blanks.
    const QByteArray head = QByteArrayLiteral("{\"data\":[");
    const QByteArray tail = "],\"robot\":" + QByteArray::number(robot) + "}\n";
    result.size = head.size() + data.size() + tail.size();
    if (result.size > kMaxPayloadSize) {
        result.outcome = QueuePayload::Outcome::TooLarge;
        return result;
    }
    result.text = head + data.text() + tail;
    return result;
}

}  // namespace kelvo::api
