#include "robot/questionboard.h"

#include <algorithm>

void QuestionBoard::answer(const AnswerTag& tag, const Answer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool taken = false;
    for (Question* q : waiting_) {
        if (q->stage_ == Question::Stage::Answered || !q->expected_.matches(tag))
            continue;
        if (q->stage_ == Question::Stage::Fenced) {
            q->candidate_ = answer;
        } else if (!taken) {
            // Still sending, it learns whether it is fenced when the send returns.
            if (q->stage_ == Question::Stage::Unfenced)
                release(*q, answer);
            else
                q->candidate_ = answer;
            taken = true;
        }
    }
}

void QuestionBoard::unreadable(const AnswerTag& tag, const std::function<Answer()>& cache) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto oldest = std::find_if(waiting_.begin(), waiting_.end(), [&tag](Question* q) {
        return q->stage_ != Question::Stage::Answered && q->unreadable_ == Unreadable::Answers &&
               q->expected_.matches(tag);
    });
    if (oldest != waiting_.end())
        release(**oldest, cache());
}

void QuestionBoard::heartbeatReplied(quint64 replies) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_ = replies;
    for (Question* q : waiting_) {
        if (q->stage_ == Question::Stage::Fenced && q->fenceSequence_ < replies_)
            settleFence(*q);
    }
}

void QuestionBoard::liftFences() {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_ = 0;
    for (Question* q : waiting_) {
        if (q->stage_ == Question::Stage::Fenced)
            settleFence(*q);
    }
}

void QuestionBoard::abandonAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    for (Question* q : waiting_)
        q->wake();
}

void QuestionBoard::post(Question* question) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.push_back(question);
    if (abandoned_)
        question->wake();
}

void QuestionBoard::withdraw(Question* question) {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), question));
}

void QuestionBoard::sent(Question& question, std::optional<quint64> fenceSequence) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (question.stage_ != Question::Stage::Sending)
        return;
    if (fenceSequence) {
        question.stage_ = Question::Stage::Fenced;
        question.fenceSequence_ = *fenceSequence;
    }
    if (!fenceSequence || *fenceSequence < replies_)
        settleFence(question);
}

bool QuestionBoard::await(Question& question, QDeadlineTimer deadline) {
    question.sleep(deadline);
    std::lock_guard<std::mutex> lock(mutex_);
    if (question.stage_ != Question::Stage::Answered && !abandoned_ && question.candidate_)
        release(question, *question.candidate_);
    return question.stage_ == Question::Stage::Answered;
}

void QuestionBoard::release(Question& question, const Answer& answer) {
    question.answer_ = answer;
    question.stage_ = Question::Stage::Answered;
    question.wake();
}

void QuestionBoard::settleFence(Question& question) {
    if (question.candidate_)
        release(question, *question.candidate_);
    else
        question.stage_ = Question::Stage::Unfenced;
}
