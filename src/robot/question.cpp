#include "robot/question.h"

#include "robot/questionboard.h"

#include <chrono>

namespace {

bool sameOrUnsaid(int asked, int answered) {
    return asked == AnswerTag::kAny || answered == AnswerTag::kAny || asked == answered;
}

}  // namespace

bool AnswerTag::matches(const AnswerTag& answer) const {
    return kind == answer.kind && sameOrUnsaid(robot, answer.robot) &&
           sameOrUnsaid(coord, answer.coord);
}

Question::Question(QuestionBoard& board, const AnswerTag& expected, Unreadable unreadable)
    : board_(board), expected_(expected), unreadable_(unreadable) {
    board_.post(this);
}

Question::~Question() {
    board_.withdraw(this);
}

void Question::sent(std::optional<quint64> fenceSequence) {
    board_.sent(*this, fenceSequence);
}

bool Question::await(QDeadlineTimer deadline) {
    return board_.await(*this, deadline);
}

void Question::wake() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wakeUp_.notify_one();
}

void Question::sleep(QDeadlineTimer deadline) {
    if (spin_.until(woken_, deadline))
        return;
    std::unique_lock<std::mutex> lock(wakeMutex_);
    const auto woken = [this] { return woken_.load(); };
    if (deadline.isForever()) {
        wakeUp_.wait(lock, woken);
    } else {
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::nanoseconds(deadline.remainingTimeNSecs());
        wakeUp_.wait_until(lock, until, woken);
    }
}
