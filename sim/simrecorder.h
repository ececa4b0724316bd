#pragma once

#include "simframe.h"

#include <QVector>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace kelvo::sim {

// What the simulator saw, for any thread to inspect and wait on.
class SimRecorder {
public:
    void recordFrame(const SimFrame& frame);
    void recordAccepted();
    void recordClosed();

    QVector<SimFrame> frames() const;
    void clearFrames();
    // The earliest frame with this command word not yet taken by an earlier call; waits for it up
    // to timeoutMs. Frames of other command words stay untouched.
    std::optional<SimFrame> takeFrame(quint16 command, int timeoutMs);

    int accepted() const;
    int open() const;
    // Waits until the predicate over (accepted, open) holds; false on time-out.
    bool waitForConnections(const std::function<bool(int accepted, int open)>& done, int timeoutMs);

private:
    template <typename Predicate>
    bool waitUntil(std::unique_lock<std::mutex>& lock, int timeoutMs, Predicate done);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QVector<SimFrame> frames_;
    QVector<bool> taken_;
    int accepted_ = 0;
    int open_ = 0;
};

}  // namespace kelvo::sim
