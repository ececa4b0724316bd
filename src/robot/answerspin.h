#pragma once

#include <QDeadlineTimer>

#include <atomic>

// A sleeping asker is woken tens of microseconds late when its core has gone idle, about as long
// as a whole loopback answer takes. Spinning a little first saves that wake-up, as long as a core
// stays free for the connection thread and answers come within the spin: askers spin one fewer at
// a time than there are cores, and after a run of spins that ended empty, none spins for a while.
class AnswerSpin {
public:
    // Spins until done is set, the spin's limit or the deadline; true when done was set.
    static bool until(const std::atomic<bool>& done, QDeadlineTimer deadline);
};
