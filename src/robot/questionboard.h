#pragma once

#include "robot/question.h"

#include <functional>
#include <mutex>
#include <vector>

// The questions waiting for their answers, in the order they were asked.
//
// Reports and heartbeat replies arrive in the connection thread; askers wait in theirs, each woken
// alone by its own answer. Standard primitives rather than Qt's, so that thread sanitizers see the
// hand-over.
class QuestionBoard {
public:
    // A readable report: the candidate of every fenced question it matches, and the answer of the
    // oldest unfenced one (or the candidate of the oldest still being sent).
    void answer(const AnswerTag& tag, const Answer& answer);
    // A report that cannot be read: answers the oldest matching question that takes such reports,
    // with what cache gives (called only then).
    void unreadable(const AnswerTag& tag, const std::function<Answer()>& cache);
    // The controller has replied to replies heartbeats of this connection: releases every fenced
    // question whose fence is among them.
    void heartbeatReplied(quint64 replies);
    // The fences written so far count no more: fenced questions are released with their
    // candidates, the others wait unfenced.
    void liftFences();
    // Releases every waiting question without an answer, for a board that is going away.
    void abandonAll();

private:
    friend class Question;

    void post(Question* question);
    void withdraw(Question* question);
    void sent(Question& question, std::optional<quint64> fenceSequence);
    bool await(Question& question, QDeadlineTimer deadline);
    // Under the lock.
    void release(Question& question, const Answer& answer);
    void settleFence(Question& question);

    std::mutex mutex_;
    std::vector<Question*> waiting_;
    quint64 replies_ = 0;
    bool abandoned_ = false;
};
