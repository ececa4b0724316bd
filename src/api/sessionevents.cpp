#include "sessionevents.h"

#include <algorithm>
#include <climits>
#include <chrono>
#include <utility>

// How far past its capacity the queue may hold events that are never dropped for room, before
// even those go: the bound on memory.
static constexpr size_t kHardLimit = 4 * SessionEvents::kCapacity;

KelvoEvent SessionEvents::toC(const RobotEvent& event) {
    KelvoEvent c{};
    c.kind = event.kind;
    c.robot = event.robot;
    // OVERFLOW carries the number of events dropped as its count.
    c.count = event.kind == RobotEvent::Overflow ? event.code
                                                 : static_cast<int>(event.values.size());
    c.code = event.kind == RobotEvent::Overflow ? 0 : event.code;
    c.values = event.values.empty() ? nullptr : event.values.data();
    c.text = event.text.empty() ? nullptr : event.text.c_str();
    c.time = event.time;
    return c;
}

SessionEvents::~SessionEvents() {
    std::thread delivery;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopDelivery_ = true;
        closed_ = true;
        delivery = std::move(delivery_);
    }
    changed_.notify_all();
    if (delivery.joinable())
        delivery.join();
}

void SessionEvents::push(RobotEvent event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.size() >= kCapacity)
            makeRoom();
        queue_.push_back(std::move(event));
    }
    changed_.notify_all();
}

// Drops the oldest event that may go: position or I/O first, then any but the kept kinds, then,
// past the hard limit, the oldest of all.
void SessionEvents::makeRoom() {
    auto victim = std::find_if(queue_.begin(), queue_.end(),
                               [](const RobotEvent& e) { return e.dropsFirst(); });
    if (victim == queue_.end()) {
        victim = std::find_if(queue_.begin(), queue_.end(),
                              [](const RobotEvent& e) { return !e.mustKeep(); });
    }
    if (victim == queue_.end() && queue_.size() >= kHardLimit)
        victim = queue_.begin();
    if (victim == queue_.end())
        return;
    queue_.erase(victim);
    ++dropped_;
}

// The OVERFLOW report comes first, in place of what was dropped; its code holds the count.
bool SessionEvents::takeNext(RobotEvent* event) {
    if (dropped_ > 0) {
        *event = RobotEvent{};
        event->kind = RobotEvent::Overflow;
        event->code = static_cast<int>(std::min<size_t>(dropped_, INT_MAX));
        event->time = queue_.empty() ? 0 : queue_.front().time;
        dropped_ = 0;
        return true;
    }
    if (queue_.empty())
        return false;
    *event = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

int SessionEvents::next(int timeoutMs, RobotEvent* event) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto ready = [this] { return closed_ || handler_ || dropped_ > 0 || !queue_.empty(); };
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (timeoutMs < 0) {
                changed_.wait(lock, ready);
            } else {
                changed_.wait_until(lock, until, ready);
            }
            if (closed_)
                return KELVO_ERR_CLOSED;
            if (handler_)
                return KELVO_ERR_BUSY;
            if (!takeNext(event))
                return KELVO_ERR_TIMEOUT;
        }
        // Read outside the lock, so the connection thread is never held up by it.
        if (event->decode())
            return KELVO_OK;
    }
}

void SessionEvents::shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

void SessionEvents::setHandler(KelvoEventHandler handler, void* user) {
    std::unique_lock<std::mutex> lock(mutex_);
    handler_ = handler;
    user_ = user;
    if (handler && !delivery_.joinable())
        delivery_ = std::thread([this] { deliver(); });
    changed_.notify_all();
    // Once this returns the old handler is never called again: wait out a delivery in progress,
    // unless this is it.
    if (std::this_thread::get_id() != delivery_.get_id())
        changed_.wait(lock, [this] { return !delivering_; });
}

bool SessionEvents::inDelivery() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::this_thread::get_id() == delivery_.get_id();
}

void SessionEvents::leaveDeliveryThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopDelivery_ = true;
    delivery_.detach();
}

// The delivery thread: one event at a time, to the handler set when it was taken.
void SessionEvents::deliver() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return stopDelivery_ || (handler_ && (dropped_ > 0 || !queue_.empty()));
        });
        if (stopDelivery_)
            return;
        RobotEvent event;
        takeNext(&event);
        const KelvoEventHandler handler = handler_;
        void* const user = user_;
        delivering_ = true;
        lock.unlock();
        if (event.decode()) {
            const KelvoEvent c = toC(event);  // points into event, alive until the handler returns
            try {
                handler(&c, user);
            } catch (...) {
                // A host's exception must not end the library's thread; C handlers throw none.
            }
        }
        if (afterHandler_ && afterHandler_())
            return;  // the handler closed the session: nothing of it is left to touch
        lock.lock();
        delivering_ = false;
        changed_.notify_all();
        if (stopDelivery_)
            return;
    }
}
