#pragma once

#include <QDeadlineTimer>

#include <atomic>

// A sleeping asker is woken tens of microseconds late when its core has gone idle, about as long
// as a whole loopback answer takes. Spinning a little first saves that wake-up, as long as a core
// stays free for the connection thread and answers come within the spin: only an asker that asks
// alone spins, and only from a thread allowed on more than one core. Askers that meet, and a run of
// spins that ended empty, stop all spinning for a while: several askers at once leave the cores to
// each other.
//
// One for each question, alive as long as it is: it counts the questions being asked.
class AnswerSpin {
public:
    AnswerSpin();
    ~AnswerSpin();
    AnswerSpin(const AnswerSpin&) = delete;
    AnswerSpin& operator=(const AnswerSpin&) = delete;

    // Spins until done is set, the spin's limit or the deadline; true when done was set.
    bool until(const std::atomic<bool>& done, QDeadlineTimer deadline) const;
};
