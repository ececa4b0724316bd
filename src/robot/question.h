#pragma once

#include "robot/answerspin.h"

#include <QDeadlineTimer>

#include <QtGlobal>
#include <array>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <optional>

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

// What a report said, taken from the report itself (or, for an unreadable one released at once,
// from the cache), so that a report arriving between the answer and the read cannot change what
// the asker gets.
struct Answer {
    std::array<double, 16> values{};
    int value = 0;
};

// Whether a report that cannot be read answers a question at once (with the cache) or the question
// waits for a readable one.
enum class Unreadable { Waits, Answers };

// One question to the controller. It is put on the board when constructed, before its request is
// sent, so its answer cannot slip past, and leaves the board when destroyed.
//
// Fenced (its request went out with a heartbeat fence behind it), it holds the latest matching
// report as its candidate and is released once the fence's reply arrives: with the candidate, or
// by the next matching report when it has none. Unfenced, the next matching report releases it,
// the oldest waiting question of a kind first.
class Question {
public:
    Question(QuestionBoard& board, const AnswerTag& expected,
             Unreadable unreadable = Unreadable::Waits);
    ~Question();
    Question(const Question&) = delete;
    Question& operator=(const Question&) = delete;

    // After the request went out: S before its fence, or nothing when no fence went with it.
    void sent(std::optional<quint64> fenceSequence);
    // True once the answer came; false when the deadline passed first. At the deadline a
    // candidate whose fence is still unanswered is taken as the answer.
    bool await(QDeadlineTimer deadline);
    const Answer& answer() const { return answer_; }

private:
    friend class QuestionBoard;

    enum class Stage { Sending, Fenced, Unfenced, Answered };

    // The board calls wake() under its lock, so the question cannot be withdrawn and destroyed
    // while it is being woken; the asker sleeps on a lock of its own, so that it does not wake
    // only to wait for the board's.
    void wake();
    void sleep(QDeadlineTimer deadline);

    const AnswerSpin spin_;
    QuestionBoard& board_;
    const AnswerTag expected_;
    const Unreadable unreadable_;
    // Under the board's lock.
    Stage stage_ = Stage::Sending;
    quint64 fenceSequence_ = 0;
    std::optional<Answer> candidate_;
    Answer answer_;
    std::mutex wakeMutex_;
    std::condition_variable wakeUp_;
    std::atomic<bool> woken_{false};
};
