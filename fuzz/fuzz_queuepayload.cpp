#include "api/queuepayload.h"
#include "fuzzinput.h"
#include "link/frame.h"
#include "link/jsonwire.h"

#include <cstdint>
#include <cstring>
#include <vector>

using kelvo::fuzz::check;
namespace json = kelvo::json;
using kelvo::api::QueuePayload;

namespace {

constexpr int kRobot = 1;

// What the payload must be: the instructions of the typed points, null for the untyped ones
// between them.
Json::Value expectedPayload(const std::vector<ContinuousMotionPoint>& points) {
    Json::Value root(Json::objectValue);
    root["robot"] = kRobot;
    for (Json::ArrayIndex i = 0; i < points.size(); ++i) {
        if (const auto move = kelvo::api::instructionFor(points[i]))
            root["data"][i] = move->toJson();
    }
    return root;
}

// Index of the first typed point whose instruction cannot be written, or -1.
long firstUnwritable(const std::vector<ContinuousMotionPoint>& points) {
    for (size_t i = 0; i < points.size(); ++i) {
        const auto move = kelvo::api::instructionFor(points[i]);
        if (move && !json::write(move->toJson()))
            return static_cast<long>(i);
    }
    return -1;
}

}  // namespace

// The input as an array of 200-byte queue points: the payload is refused (a value that is not
// finite, or too large for a frame) or written exactly.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static_assert(sizeof(ContinuousMotionPoint) == 200);
    std::vector<ContinuousMotionPoint> points(size / sizeof(ContinuousMotionPoint));
    if (!points.empty())
        std::memcpy(points.data(), data, points.size() * sizeof(ContinuousMotionPoint));

    const QueuePayload result = kelvo::api::writeQueuePayload(
        kRobot, points.data(), static_cast<unsigned int>(points.size()));
    const long unwritable = firstUnwritable(points);
    if (result.outcome == QueuePayload::Outcome::NotFinite) {
        check(static_cast<long>(result.point) == unwritable);
        return 0;
    }
    check(unwritable < 0);
    const auto expected = json::write(expectedPayload(points));
    check(expected.has_value() && result.size == expected->size());
    if (result.outcome == QueuePayload::Outcome::TooLarge) {
        check(result.size > kelvo::kMaxPayloadSize);
        return 0;
    }
    check(result.size <= kelvo::kMaxPayloadSize && result.text == *expected);
    return 0;
}
