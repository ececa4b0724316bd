// Counting heartbeats and replies, and the signs that a controller breaks the fence's assumption.

#include "link/heartbeatfence.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Origin = kelvo::HeartbeatFence::Origin;

// One thing that happens to the fence and what it must say: S before a write, R after a reply
// (-1: the count proved wrong), whether an inbound heartbeat is an echo, whether one is overdue.
struct Step {
    enum { Own, Echo, Reply, Inbound, Overdue, Reset } what;
    const char* payload;
    qint64 atMs;
    long long expect;
};

long long apply(kelvo::HeartbeatFence& fence, const Step& step) {
    switch (step.what) {
        case Step::Own:
        case Step::Echo:
            return static_cast<long long>(fence.written(
                step.payload, step.atMs, step.what == Step::Own ? Origin::Own : Origin::Echo));
        case Step::Reply: {
            const std::optional<quint64> replies = fence.replied();
            return replies ? static_cast<long long>(*replies) : -1;
        }
        case Step::Inbound:
            return fence.isEcho(step.payload, step.atMs);
        case Step::Overdue:
            return fence.overdue(step.atMs);
        case Step::Reset:
            fence.reset();
            return 0;
    }
    return 0;
}

}  // namespace

TEST(HeartbeatFence, CountsRepliesAndTellsEchoesAndSilence) {
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {{"S before each write, R after each reply, one reply too many",
                  {{Step::Own, "a", 0, 0},
                   {Step::Echo, "b", 1, 1},
                   {Step::Reply, "", 2, 1},
                   {Step::Reply, "", 3, 2},
                   {Step::Reply, "", 4, -1}}},
                 {"its own heartbeat coming back within 6 s is an echo",
                  {{Step::Own, "a", 0, 0},
                   {Step::Inbound, "a", 6000, true},
                   {Step::Inbound, "a", 6001, false},
                   {Step::Inbound, "b", 10, false}}},
                 {"its echo of the controller's heartbeat is not its own",
                  {{Step::Echo, "a", 0, 0}, {Step::Inbound, "a", 500, false}}},
                 {"unanswered for more than 1666 ms, until the reply",
                  {{Step::Own, "a", 0, 0},
                   {Step::Overdue, "", 1666, false},
                   {Step::Overdue, "", 1667, true},
                   {Step::Reply, "", 1700, 1},
                   {Step::Overdue, "", 9000, false}}},
                 {"a new connection counts from zero",
                  {{Step::Own, "a", 0, 0},
                   {Step::Reset, "", 1, 0},
                   {Step::Reply, "", 2, -1},
                   {Step::Reset, "", 3, 0},
                   {Step::Own, "a", 4, 0}}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        kelvo::HeartbeatFence fence;
        for (const Step& step : c.steps)
            EXPECT_EQ(apply(fence, step), step.expect) << "at " << step.atMs << " ms";
    }
}
