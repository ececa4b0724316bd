#include "sessionevents.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>

// How far past its capacity the queue may hold events that are never dropped for room, before
// even those go: the bound on memory, with kMaxBytes.
static constexpr size_t kHardLimit = 4 * SessionEvents::kCapacity;

// What an event holds on the heap, about: a kept report may be a whole 64 KiB frame.
static size_t footprint(const RobotEvent& event) {
    return sizeof(RobotEvent) + size_t(event.report.size()) + event.text.capacity() +
           event.values.capacity() * sizeof(double);
}

KelvoEvent SessionEvents::toC(const RobotEvent& event) {
    KelvoEvent c{};
    c.kind = event.kind;
    c.robot = event.robot;
    // OVERFLOW carries the number of events dropped as its count.
    c.count =
        event.kind == RobotEvent::Overflow ? event.code : static_cast<int>(event.values.size());
    c.code = event.kind == RobotEvent::Overflow ? 0 : event.code;
    c.values = event.values.empty() ? nullptr : event.values.data();
    c.text = event.text.empty() ? nullptr : event.text.c_str();
    c.time = event.time;
    return c;
}

SessionEvents::~SessionEvents() {
    stop();
}

void SessionEvents::stop() {
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
        bytes_ += footprint(event);
        queue_.push_back(std::move(event));
        while ((queue_.size() > kCapacity || bytes_ > kMaxBytes) && makeRoom()) {
        }
    }
    changed_.notify_all();
}

// Drops the oldest event that may go: position or I/O first, then any but the kept kinds. Past
// the hard limit or the byte bound a kept event is first read, so that only its text and values
// stay of its report, and then the oldest of all goes. False when nothing needs to go.
bool SessionEvents::makeRoom() {
    auto victim = std::find_if(queue_.begin(), queue_.end(),
                               [](const RobotEvent& e) { return e.dropsFirst(); });
    if (victim == queue_.end()) {
        victim = std::find_if(queue_.begin(), queue_.end(),
                              [](const RobotEvent& e) { return !e.mustKeep(); });
    }
    if (victim == queue_.end()) {
        if (queue_.size() <= kHardLimit && bytes_ <= kMaxBytes)
            return false;
        const auto unread = std::find_if(queue_.begin(), queue_.end(),
                                         [](const RobotEvent& e) { return !e.report.isNull(); });
        if (unread != queue_.end())
            return shrink(unread);
        victim = queue_.begin();
    }
    bytes_ -= footprint(*victim);
    queue_.erase(victim);
    ++dropped_;
    return true;
}

// Reads a kept event's report now and lets the report go; one that cannot be read is no event.
bool SessionEvents::shrink(std::deque<RobotEvent>::iterator event) {
    bytes_ -= footprint(*event);
    if (!event->decode()) {
        queue_.erase(event);
        return true;
    }
    event->values.shrink_to_fit();
    bytes_ += footprint(*event);
    return true;
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
    bytes_ -= footprint(queue_.front());
    *event = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

int SessionEvents::next(int timeoutMs, RobotEvent* event) {
    if (inDelivery())
        return KELVO_ERR_BUSY;  // it would wait for the events its own thread delivers
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

int SessionEvents::setHandler(KelvoEventHandler handler, void* user) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (closed_)
        return KELVO_ERR_CLOSED;
    handler_ = handler;
    user_ = user;
    if (handler && !delivery_.joinable())
        delivery_ = std::thread([this] { deliver(); });
    changed_.notify_all();
    // Once this returns the old handler is never called again: wait out a delivery in progress,
    // unless this is it. A close wakes the wait: that delivery may be the one closing the session.
    if (std::this_thread::get_id() == delivery_.get_id())
        return KELVO_OK;
    // The delivery running now, not the ones after it: under a stream of events the handler is
    // called again as soon as it returns.
    const unsigned long long running = deliveries_;
    const auto ended = [this, running] { return deliveriesEnded_ >= running; };
    changed_.wait(lock, [this, &ended] { return ended() || closed_; });
    return ended() ? KELVO_OK : KELVO_ERR_CLOSED;
}

bool SessionEvents::inDelivery() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::this_thread::get_id() == delivery_.get_id();
}

void SessionEvents::leaveDeliveryThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopDelivery_ = true;
    if (delivery_.joinable())
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
        ++deliveries_;
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
        ++deliveriesEnded_;
        changed_.notify_all();
        if (stopDelivery_)
            return;
    }
}
