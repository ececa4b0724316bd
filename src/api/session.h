#pragma once

#include "sessionevents.h"

#include "robot/question.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QObject;
class QThread;
class Robot;
class TcpUpDownFile;
namespace kelvo {
class FrameRecorder;
}

// One controller link as the exported calls see it: the Robot, its file transfer, the bound on
// query waits, and the calls in progress, so that closing can wait for them. Named as the
// opaque handle of kelvo.h.
//
// A session made by kelvo_open runs its Robot in a thread of its own. The default session, made by
// connect_robot, keeps the Robot in the library's owner thread (see platform/ownerthread.h).
struct KelvoSession {
public:
    // A call in progress; false when the session is closing and the call must not start.
    class Call {
    public:
        explicit Call(KelvoSession& session);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;
        explicit operator bool() const { return admitted_; }

    private:
        KelvoSession& session_;
        bool admitted_;
    };

    // A session in a thread of its own, linked within timeoutMs; null with *error set otherwise.
    static KelvoSession* open(const QString& ip, quint16 port, int timeoutMs, int* error);
    // The Robot for ip:6000 in the owner thread, its link started; nothing waits for it.
    static KelvoSession* createInOwnerThread(const QString& ip);
    // Ends every call in progress (a waiting query returns KELVO_ERR_CLOSED), then destroys the
    // Robot and the transfer in their thread and joins the session's own thread.
    ~KelvoSession();

    Robot& robot() { return *robot_; }
    // Only inside runInRobotThread: that thread alone replaces and deletes it.
    TcpUpDownFile* transfer() { return transfer_; }

    // 0 waits without limit; negative values are ignored.
    void setReplyTimeout(int ms);
    int replyTimeoutMs() const { return replyTimeoutMs_; }

    // KELVO_OK once sent; KELVO_ERR_NOT_CONNECTED when the link dropped it.
    static int sent(bool handedToLink);
    // Asks a question and waits for its own answer within the reply timeout: KELVO_OK with the
    // answer, or KELVO_ERR_NOT_CONNECTED, KELVO_ERR_TIMEOUT or KELVO_ERR_CLOSED.
    int ask(const AnswerTag& expected, const std::function<bool()>& send, Answer* answer);

    // While one lives, the questions of this thread are a flat call's: a report that cannot be
    // read answers them at once, and the flat call returns the cache.
    class FlatQuestions {
    public:
        FlatQuestions();
        ~FlatQuestions();
        FlatQuestions(const FlatQuestions&) = delete;
        FlatQuestions& operator=(const FlatQuestions&) = delete;

    private:
        const bool outer_;
    };

    // A new transfer object for this port or job folder; KELVO_ERR_BUSY while one connects or runs.
    int setTransferPort(quint16 port);
    int setJobDir(const QString& dir);
    // Runs work in the thread of the Robot and the transfer and returns once it has run.
    void runInRobotThread(const std::function<void()>& work);

    // The flight recorder of both links: KELVO_ERR_INVALID for a size out of range, KELVO_ERR_IO
    // when the dump cannot be written.
    int setTraceSize(int frames);
    int dumpTrace(const QString& path) const;

    SessionEvents& events() { return events_; }
    // The last ALARM event, kept beside the queue so that a host can name the reason of a failed
    // call without competing with its own pulls or handler; false when none has come.
    bool lastAlarm(RobotEvent* alarm) const;
    // Asked from inside the event handler: the session closes once the handler returns.
    void closeAfterDelivery() { closeAfterDelivery_ = true; }

private:
    KelvoSession();
    void createRobot(const QString& ip, quint16 port);
    // A transfer object for the current port and job folder, its progress turned into events.
    void makeTransfer();
    bool closeIfAsked();
    int replaceTransfer(const std::function<void()>& change);
    bool waitUntilConnected(int timeoutMs) const;
    void startRecorder(const QString& ip, quint16 port);

    std::unique_ptr<QThread> thread_;  // null for the default session
    std::unique_ptr<QObject> anchor_;  // lives in thread_: what work is posted to
    Robot* robot_ = nullptr;
    TcpUpDownFile* transfer_ = nullptr;
    quint16 transferPort_ = 5000;
    QString jobDir_;
    std::atomic<int> replyTimeoutMs_{3000};
    std::atomic<bool> closing_{false};
    std::atomic<bool> closeAfterDelivery_{false};
    SessionEvents events_;
    std::shared_ptr<kelvo::FrameRecorder> recorder_;
    mutable std::mutex alarmMutex_;
    std::optional<RobotEvent> lastAlarm_;
    std::mutex callsMutex_;
    std::condition_variable callsDone_;
    int calls_ = 0;
};
