#include "robot/questionboard.h"

#include <algorithm>
#include <chrono>

bool QuestionBoard::answer(const AnswerTag& tag, const std::function<Answer()>& snapshot) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto oldest = std::find_if(waiting_.begin(), waiting_.end(), [&tag](Question* q) {
        return !q->answered_ && q->expected_.matches(tag);
    });
    if (oldest == waiting_.end())
        return false;
    (*oldest)->answer_ = snapshot();
    (*oldest)->answered_ = true;
    released_.notify_all();
    return true;
}

void QuestionBoard::abandonAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    released_.notify_all();
}

void QuestionBoard::post(Question* question) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(question);
}

void QuestionBoard::withdraw(Question* question) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), question));
}

bool QuestionBoard::await(Question& question, QDeadlineTimer deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto settled = [&] { return question.answered_ || abandoned_; };
    if (deadline.isForever()) {
        released_.wait(lock, settled);
    } else {
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::nanoseconds(deadline.remainingTimeNSecs());
        released_.wait_until(lock, until, settled);
    }
    return question.answered_;
}
