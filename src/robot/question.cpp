#include "robot/question.h"

#include "robot/questionboard.h"

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
