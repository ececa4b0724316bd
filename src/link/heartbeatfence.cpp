#include "link/heartbeatfence.h"

#include <algorithm>

namespace kelvo {

void HeartbeatFence::reset() {
    fault_ = Fault::None;
    sent_ = 0;
    replies_ = 0;
    unanswered_.clear();
    recent_.clear();
}

void HeartbeatFence::setWanted(bool wanted) {
    wanted_ = wanted;
}

quint64 HeartbeatFence::written(const QByteArray& payload, qint64 nowMs, Origin origin) {
    const quint64 before = sent_++;
    if (fault_ == Fault::None)
        unanswered_.push_back({payload, nowMs});
    if (origin == Origin::Echo)
        return before;
    while (!recent_.empty() && nowMs - recent_.front().atMs > kEchoWindowMs)
        recent_.pop_front();
    if (recent_.empty() || recent_.back().payload != payload)
        recent_.push_back({payload, nowMs});
    else
        recent_.back().atMs = nowMs;
    return before;
}

std::optional<quint64> HeartbeatFence::replied() {
    ++replies_;
    if (replies_ > sent_)
        return std::nullopt;
    if (!unanswered_.empty())
        unanswered_.pop_front();
    return replies_;
}

bool HeartbeatFence::isEcho(const QByteArray& payload, qint64 nowMs) const {
    return std::any_of(recent_.begin(), recent_.end(), [&](const Written& w) {
        return w.payload == payload && nowMs - w.atMs <= kEchoWindowMs;
    });
}

bool HeartbeatFence::overdue(qint64 nowMs) const {
    return !unanswered_.empty() && nowMs - unanswered_.front().atMs > kReplyLimitMs;
}

bool HeartbeatFence::fail(Fault fault) {
    if (fault_ != Fault::None)
        return false;
    fault_ = fault;
    unanswered_.clear();
    return true;
}

const char* HeartbeatFence::describe(Fault fault) {
    switch (fault) {
        case Fault::MoreRepliesThanHeartbeats:
            return "more heartbeat replies than heartbeats";
        case Fault::Echoed:
            return "the controller echoes heartbeats";
        case Fault::Unanswered:
            return "a heartbeat went unanswered";
        case Fault::None:
            break;
    }
    return "fences switched off";
}

}  // namespace kelvo

namespace kelvo {

namespace {
thread_local FencedSend* innermost = nullptr;
}  // namespace

FencedSend::FencedSend() : outer_(innermost) {
    innermost = this;
}

FencedSend::~FencedSend() {
    innermost = outer_;
}

FencedSend* FencedSend::current() {
    return innermost;
}

}  // namespace kelvo
