#include "simrecorder.h"

#include <chrono>

namespace kelvo::sim {

template <typename Predicate>
bool SimRecorder::waitUntil(std::unique_lock<std::mutex>& lock, int timeoutMs, Predicate done) {
    return changed_.wait_for(lock, std::chrono::milliseconds(qMax(0, timeoutMs)), done);
}

void SimRecorder::recordFrame(const SimFrame& frame) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.append(frame);
        taken_.append(false);
    }
    changed_.notify_all();
}

void SimRecorder::recordAccepted() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++accepted_;
        ++open_;
    }
    changed_.notify_all();
}

void SimRecorder::recordClosed() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --open_;
    }
    changed_.notify_all();
}

QVector<SimFrame> SimRecorder::frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

void SimRecorder::clearFrames() {
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
    taken_.clear();
}

std::optional<SimFrame> SimRecorder::takeFrame(quint16 command, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    int found = -1;
    const bool arrived = waitUntil(lock, timeoutMs, [&] {
        for (int i = 0; i < frames_.size(); ++i) {
            if (!taken_[i] && frames_[i].command == command) {
                found = i;
                return true;
            }
        }
        return false;
    });
    if (!arrived) {
        return std::nullopt;
    }
    taken_[found] = true;
    return frames_[found];
}

int SimRecorder::accepted() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return accepted_;
}

int SimRecorder::open() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool SimRecorder::waitForConnections(const std::function<bool(int, int)>& done, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return waitUntil(lock, timeoutMs, [&] { return done(accepted_, open_); });
}

}  // namespace kelvo::sim
