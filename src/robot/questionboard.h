#pragma once

#include "robot/question.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// The questions waiting for their answers, in the order they were asked.
//
// Reports arrive in the connection thread; askers wait in theirs. Standard primitives rather than
// Qt's, so that thread sanitizers see the hand-over.
class QuestionBoard {
public:
    // Releases the oldest waiting question the answer matches, with the answer snapshot takes
    // (called only then). False when no question waited for it.
    bool answer(const AnswerTag& tag, const std::function<Answer()>& snapshot);
    // Releases every waiting question without an answer, for a board that is going away.
    void abandonAll();

private:
    friend class Question;

    void post(Question* question);
    void withdraw(Question* question);
    bool await(Question& question, QDeadlineTimer deadline);

    std::mutex mutex_;
    std::condition_variable released_;
    std::vector<Question*> waiting_;
    bool abandoned_ = false;
};
