#pragma once

#include <QByteArray>

#include <deque>
#include <optional>

namespace kelvo {

// Counts, per connection, the heartbeats the link wrote (S) and the replies it received (R), so
// that a question written before the S-th heartbeat is known to have been read by the controller
// once R reaches S. Relies on the controller replying to heartbeats in the order it reads them
// and answering a query before it replies to a later heartbeat.
//
// Not thread-safe: the link calls it under its socket lock.
class HeartbeatFence {
public:
    // Why fences stop for the rest of a connection.
    enum class Fault { None, MoreRepliesThanHeartbeats, Echoed, Unanswered };

    // A new connection: both counts from zero, fences on again if wanted.
    void reset();
    void setWanted(bool wanted);
    // Fences are written on this connection.
    bool active() const { return wanted_ && fault_ == Fault::None; }

    // Whose heartbeat: the link's own, or its echo of the controller's.
    enum class Origin { Own, Echo };
    // A heartbeat written now; returns S before it.
    quint64 written(const QByteArray& payload, qint64 nowMs, Origin origin);
    // A reply received: R, or nothing when it proves the counting wrong.
    std::optional<quint64> replied();
    // A heartbeat from the controller: true when it repeats one of the link's own lately.
    bool isEcho(const QByteArray& payload, qint64 nowMs) const;
    // The oldest heartbeat still unanswered was written too long ago.
    bool overdue(qint64 nowMs) const;
    // Stops fences for this connection; true the first time, for a single log line.
    bool fail(Fault fault);
    static const char* describe(Fault fault);

    static constexpr qint64 kEchoWindowMs = 6000;
    static constexpr qint64 kReplyLimitMs = 1666;

private:
    struct Written {
        QByteArray payload;
        qint64 atMs;
    };

    bool wanted_ = true;
    Fault fault_ = Fault::None;
    quint64 sent_ = 0;
    quint64 replies_ = 0;
    std::deque<Written> unanswered_;  // oldest first
    std::deque<Written> recent_;      // the link's own, written within the echo window
};

}  // namespace kelvo

namespace kelvo {

// While it lives, the next frame this thread sends is a question: the link writes a fence right
// behind it, in the same send, and tells S before the fence. Nests: only the innermost counts.
class FencedSend {
public:
    FencedSend();
    ~FencedSend();
    FencedSend(const FencedSend&) = delete;
    FencedSend& operator=(const FencedSend&) = delete;

    // S before the fence; nothing when no fence went out (fences off, or nothing sent).
    std::optional<quint64> sequence() const { return sequence_; }

    // For the link.
    static FencedSend* current();
    void fenced(quint64 sequence) { sequence_ = sequence; }

private:
    std::optional<quint64> sequence_;
    FencedSend* const outer_;
};

}  // namespace kelvo
