#pragma once

#include <QDeadlineTimer>

#include <array>
#include <climits>

class QuestionBoard;

// The reports that answer a question, one per kind of question the library asks.
enum class AnswerKind {
    Servo,
    Mode,
    Coord,
    Speed,
    Dout,
    Din,
    Aout,
    Ain,
    RunningState,
    Position,
    SyncPosition,
    Tool,
};

// What tells answers of one kind apart: the robot and the coordinate system they name. kAny where
// the question does not care or the answer does not say.
struct AnswerTag {
    static constexpr int kAny = INT_MIN;

    AnswerKind kind;
    int robot = kAny;
    int coord = kAny;

    bool matches(const AnswerTag& answer) const;
};

// The cache as the answer left it, copied for its question, so that a report arriving between the
// answer and the read cannot change what the asker gets.
struct Answer {
    std::array<double, 16> values{};
    int value = 0;
};

// One question to the controller. It is put on the board when constructed, before its request is
// sent, so its answer cannot slip past; only a matching answer releases it (the oldest waiting
// question of a kind first), and it leaves the board when destroyed.
class Question {
public:
    Question(QuestionBoard& board, const AnswerTag& expected);
    ~Question();
    Question(const Question&) = delete;
    Question& operator=(const Question&) = delete;

    // True once the answer came; false when the deadline passed first.
    bool await(QDeadlineTimer deadline);
    const Answer& answer() const { return answer_; }

private:
    friend class QuestionBoard;

    QuestionBoard& board_;
    const AnswerTag expected_;
    bool answered_ = false;  // under the board's lock
    Answer answer_;
};
