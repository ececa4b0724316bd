#pragma once

#include "kelvo.h"

#include "robot/robotevent.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

// A session's events between the connection thread that makes them and the host that takes them:
// a bounded queue, read by pull (next) or by a handler called from a delivery thread of its own.
//
// The delivery thread holds no lock while the handler runs, so a handler may call any export,
// waiting queries included; a slow handler only lets the queue fill, and a full queue drops the
// oldest position and I/O events first, LINK, ALARM or TRANSFER events only past a hard limit in
// count or bytes (and read first, so that their text stays as long as they can), and tells the
// host with one OVERFLOW event carrying the count.
class SessionEvents {
public:
    static constexpr size_t kCapacity = 1024;
    // A host that never takes its events costs at most this much per session.
    static constexpr size_t kMaxBytes = size_t(4) << 20;

    // afterHandler runs in the delivery thread each time the handler has returned; true means the
    // session is gone, and the thread ends without touching anything.
    explicit SessionEvents(std::function<bool()> afterHandler)
        : afterHandler_(std::move(afterHandler)) {}
    // Stops delivery (see stop).
    ~SessionEvents();
    SessionEvents(const SessionEvents&) = delete;
    SessionEvents& operator=(const SessionEvents&) = delete;

    // From any thread.
    void push(RobotEvent event);

    // Starts or replaces push delivery; null stops it. From another thread it returns once a
    // running delivery has ended; from inside the handler it takes effect when that delivery ends.
    // KELVO_ERR_CLOSED after shutdown, or when shutdown came while waiting for the delivery.
    int setHandler(KelvoEventHandler handler, void* user);
    // Waits up to timeoutMs (negative: for ever) for the next event. KELVO_OK with the event,
    // KELVO_ERR_TIMEOUT, KELVO_ERR_CLOSED after shutdown, KELVO_ERR_BUSY while a handler is set.
    int next(int timeoutMs, RobotEvent* event);
    // Ends every wait in next() and setHandler(); from now on both return KELVO_ERR_CLOSED.
    void shutdown();
    // Shuts down and waits for a running delivery to end: the handler is not called again. Must
    // not run in the delivery thread, unless it has left it (see leaveDeliveryThread).
    void stop();

    // The C view of event; its values and text point into event.
    static KelvoEvent toC(const RobotEvent& event);

    // True when the caller is the delivery thread, that is, inside the handler.
    bool inDelivery() const;
    // For a session closed from inside its handler: the delivery thread ends on its own once the
    // handler returns, and nothing waits for it.
    void leaveDeliveryThread();

private:
    void deliver();
    bool takeNext(RobotEvent* event);                     // under mutex_
    bool makeRoom();                                      // under mutex_
    bool shrink(std::deque<RobotEvent>::iterator event);  // under mutex_

    const std::function<bool()> afterHandler_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<RobotEvent> queue_;
    size_t bytes_ = 0;  // the footprint of queue_
    size_t dropped_ = 0;
    bool closed_ = false;
    KelvoEventHandler handler_ = nullptr;
    void* user_ = nullptr;
    unsigned long long deliveries_ = 0;  // begun; one runs while it exceeds deliveriesEnded_
    unsigned long long deliveriesEnded_ = 0;
    std::thread delivery_;
    bool stopDelivery_ = false;
};
