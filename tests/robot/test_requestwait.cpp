// Pairing questions with the reports that answer them.

#include "linkedrobot.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <future>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr int kLongMs = 10000;

// A question asked from its own thread; it is on the board once the constructor returns, so no
// report handled after that can slip past it. Sent with a fence of that sequence, or unfenced.
class Asker {
public:
    Asker(QuestionBoard& board, const AnswerTag& expected,
          std::optional<quint64> fence = std::nullopt, Unreadable unreadable = Unreadable::Waits,
          int deadlineMs = kLongMs) {
        std::promise<void> posted;
        std::future<void> onBoard = posted.get_future();
        result_ = std::async(std::launch::async,
                             [&board, expected, fence, unreadable, deadlineMs, &posted, this] {
                                 Question question(board, expected, unreadable);
                                 question.sent(fence);
                                 posted.set_value();
                                 const bool answered = question.await(QDeadlineTimer(deadlineMs));
                                 answer_ = question.answer();
                                 return answered;
                             });
        onBoard.wait();
    }
    bool done() const {
        return result_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    // True when the answer came; the answer is then in answer().
    bool answered() {
        return waitFor([this] { return done(); }, kLongMs) && result_.get();
    }
    const Answer& answer() const { return answer_; }

private:
    Answer answer_;
    std::future<bool> result_;
};

// What reaches the board, in order: a readable report carrying a value, one that cannot be read,
// a heartbeat reply count, or the fences lifted.
using Step = std::function<void(QuestionBoard&)>;

}  // namespace

using RobotRequestWait = LinkedRobotTest;

TEST_F(RobotRequestWait, OnlyTheMatchingReportAnswersAQuestion) {
    const AnswerTag servo{AnswerKind::Servo, 1};
    const AnswerTag coord{AnswerKind::Coord, 1};
    const AnswerTag joints{AnswerKind::Position, 1, 0};
    const AnswerTag sync{AnswerKind::SyncPosition, 1};
    const AnswerTag running{AnswerKind::RunningState, 1};
    const struct {
        const char* what;
        AnswerTag question;
        quint16 word;
        const char* payload;
        bool answers;
    } cases[] = {
        {"servo", servo, 0x2003, R"({"mode":1,"robot":1,"status":1})", true},
        {"servo of another robot", servo, 0x2003, R"({"mode":1,"robot":2,"status":1})", false},
        {"mode", {AnswerKind::Mode}, 0x2103, R"({"mode":2})", true},
        {"mode out of range", {AnswerKind::Mode}, 0x2103, R"({"mode":3})", false},
        {"mode is no servo answer", servo, 0x2103, R"({"mode":1})", false},
        {"coordinate of the current robot", coord, 0x2203, R"({"coord":1,"robot":1})", true},
        {"coordinate without coord", coord, 0x2203, R"({"robot":1})", false},
        {"speed without robot", {AnswerKind::Speed, 1}, 0x2603, R"({"speed":30})", true},
        {"dout, not JSON", {AnswerKind::Dout}, 0x3603, "not json", false},
        {"din is no dout answer", {AnswerKind::Dout}, 0x3606, R"({"status":[1]})", false},
        {"running state", running, 0x3D03, R"({"robot":1,"status":0})", true},
        {"job status", running, 0x9103, R"({"continueRun":0,"robot":1,"status":2})", true},
        {"joints", joints, 0x2F08, R"({"coord":0,"robot":1,"pos":[1,2,3,4,5,6]})", true},
        {"cartesian is no joints", joints, 0x2F08, R"({"coord":1,"robot":1,"pos":[9]})", false},
        {"joints of another robot", joints, 0x2F08, R"({"coord":0,"robot":2,"pos":[9]})", false},
        {"external axes, coord 0", sync, 0x7013, R"({"coord":0,"posSync":[1,2,3,4,5]})", true},
        {"external axes, coord 1", sync, 0x7013, R"({"coord":1,"posSync":[9,9,9,9,9]})", false},
        {"socket state answers nothing", {AnswerKind::Dout}, 0x50B3, R"({"open":true})", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Asker asker(robot.questions(), c.question);
        link.report(c.word, c.payload);
        if (!c.answers) {
            ASSERT_TRUE(link.flush());
            EXPECT_FALSE(asker.done());
            robot.questions().answer(c.question, Answer{});
        }
        EXPECT_TRUE(asker.answered());
    }
    // Reports that answered nothing still updated the cache as before.
    std::array<double, 6> position{};
    robot.copyCurrentPosition(position.data());
    EXPECT_EQ(position, (std::array<double, 6>{9, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(robot.socketOpen());
}

// A question sent with the fence after heartbeat 2 (sequence 2), as the link writes it.
TEST_F(RobotRequestWait, AFencedQuestionTakesTheLastReportBeforeItsFenceReply) {
    constexpr quint64 kFence = 2;
    constexpr int kCached = 99;
    const AnswerTag dout{AnswerKind::Dout};
    const auto report = [&](int v) {
        return [&, v](QuestionBoard& b) { b.answer(dout, Answer{{}, v}); };
    };
    const Step report1 = report(1);
    const Step report2 = report(2);
    const auto replied = [](quint64 r) { return [r](QuestionBoard& b) { b.heartbeatReplied(r); }; };
    const Step unreadable = [&](QuestionBoard& b) {
        b.unreadable(dout, [] { return Answer{{}, kCached}; });
    };
    const Step lift = [](QuestionBoard& b) { b.liftFences(); };
    constexpr Unreadable kWaits = Unreadable::Waits;
    const struct {
        const char* what;
        quint64 repliesBefore;  // heartbeat replies the board saw before the question was sent
        Unreadable unreadable;
        std::vector<Step> steps;
        int answer;  // the value it is answered with; -1 while still waiting
        int deadlineMs = kLongMs;
    } cases[] = {
        {"an earlier heartbeat's reply releases nothing", 0, kWaits, {report1, replied(2)}, -1},
        {"its fence's reply releases the newest", 0, kWaits, {report1, report2, replied(3)}, 2},
        {"no report by its reply: the next answers", 0, kWaits, {replied(3), report2}, 2},
        {"the fence replied before the asker got back", 3, kWaits, {report1}, 1},
        {"unreadable answers no session question", 0, kWaits, {unreadable, replied(3)}, -1},
        {"unreadable answers flat with the cache", 0, Unreadable::Answers, {unreadable}, kCached},
        {"lifted fences release with the report held", 0, kWaits, {report1, lift}, 1},
        {"lifted fences, no report: the next answers", 0, kWaits, {lift, report2}, 2},
        {"no fence reply by the deadline: the newest", 0, kWaits, {report1, report2}, 2, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QuestionBoard board;
        board.heartbeatReplied(c.repliesBefore);
        Asker asker(board, dout, kFence, c.unreadable, c.deadlineMs);
        for (const Step& step : c.steps)
            step(board);
        if (c.answer < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_FALSE(asker.done());
            board.liftFences();  // ends the wait
            board.answer(dout, Answer{});
            EXPECT_TRUE(asker.answered());
            continue;
        }
        ASSERT_TRUE(asker.answered());
        EXPECT_EQ(asker.answer().value, c.answer);
    }
}

TEST_F(RobotRequestWait, DeadlinePassesWithoutAnswerAndCopiesNeverMixTwoReports) {
    QElapsedTimer waited;
    waited.start();
    link.leaveUnanswered(0x3602);
    EXPECT_EQ(robot.ask(
                  {AnswerKind::Dout}, [&] { return robot.queryDout(); }, QDeadlineTimer(200)),
              Robot::Asked::Unanswered);
    EXPECT_GE(waited.elapsed(), 190);

    // A reader copying while reports alternate between two full arrays only ever sees one of them.
    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        double values[16];
        while (!stop) {
            robot.copyDin(values);
            if (!std::all_of(values, values + 16, [&](double v) { return v == values[0]; }))
                ++mixed;
        }
    });
    for (int i = 0; i < 300; ++i) {
        link.report(0x3606, i % 2 ? R"({"status":[2,2,2,2,2,2,2,2,2,2,2,2,2,2,2,2]})"
                                  : R"({"status":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]})");
    }
    ASSERT_TRUE(link.flush());
    stop = true;
    reader.join();
    EXPECT_EQ(mixed, 0);
    robot.copyDin(nullptr);  // ignored, not a crash
}
