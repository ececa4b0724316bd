#include "session.h"

#include "apisession.h"
#include "kelvo.h"

#include "link/framerecorder.h"
#include "message/wordnames.h"
#include "platform/handover.h"
#include "robot/questionboard.h"
#include "robot/robot.h"
#include "transfer/tcpupdownfile.h"
#include "transfer/transferwordnames.h"

#include <QDeadlineTimer>
#include <QThread>

#include <chrono>
#include <thread>
#include <utility>

namespace {

constexpr quint16 kControlPort = 6000;
constexpr int kConnectedPollMs = 2;
// 2,000 frames take a few megabytes at most; this bound keeps a typo from taking gigabytes.
constexpr int kMaxTraceFrames = 100000;

QByteArray wordName(kelvo::FrameRecorder::Link link, kelvo::FrameRecorder::Direction direction,
                    quint16 word) {
    if (link == kelvo::FrameRecorder::Link::Transfer)
        return kelvo::transfer::wordName(word);
    return kelvo::controlWordName(word, direction == kelvo::FrameRecorder::Direction::In);
}

}  // namespace

KelvoSession::Call::Call(KelvoSession& session) : session_(session) {
    std::lock_guard<std::mutex> lock(session_.callsMutex_);
    admitted_ = !session_.closing_;
    if (admitted_)
        ++session_.calls_;
}

KelvoSession::Call::~Call() {
    if (!admitted_)
        return;
    std::lock_guard<std::mutex> lock(session_.callsMutex_);
    if (--session_.calls_ == 0)
        session_.callsDone_.notify_all();
}

KelvoSession* KelvoSession::open(const QString& ip, quint16 port, int timeoutMs, int* error) {
    std::unique_ptr<KelvoSession> session(new KelvoSession);
    session->thread_ = std::make_unique<QThread>();
    session->thread_->setObjectName(QStringLiteral("kelvo-session"));
    session->anchor_ = std::make_unique<QObject>();
    session->anchor_->moveToThread(session->thread_.get());
    session->thread_->start();
    session->runInRobotThread([&] {
        session->createRobot(ip, port);
        // The first attempt now rather than at the link's first check tick.
        session->robot_->robot_startConnectToC();
    });
    if (!session->waitUntilConnected(timeoutMs)) {
        *error = KELVO_ERR_NOT_CONNECTED;
        return nullptr;
    }
    return session.release();
}

KelvoSession::KelvoSession() : events_([this] { return closeIfAsked(); }) {}

// In the delivery thread, after the handler returned. A close begun meanwhile by another thread
// owns the session, and joins this thread.
bool KelvoSession::closeIfAsked() {
    if (!closeAfterDelivery_ || !kelvo::api::ApiSession::instance().release(this))
        return false;
    events_.leaveDeliveryThread();
    delete this;
    return true;
}

KelvoSession* KelvoSession::createInOwnerThread(const QString& ip) {
    auto* session = new KelvoSession;
    session->createRobot(ip, kControlPort);
    return session;
}

void KelvoSession::createRobot(const QString& ip, quint16 port) {
    startRecorder(ip, port);
    robot_ = new Robot(ip, port);
    robot_->setEventSink([this](RobotEvent event) {
        if (event.kind == RobotEvent::Alarm) {
            const std::lock_guard<std::mutex> lock(alarmMutex_);
            lastAlarm_ = event;
        }
        events_.push(std::move(event));
    });
    robot_->setFrameRecorder(recorder_);
    makeTransfer();
    robot_->startLink();
}

bool KelvoSession::lastAlarm(RobotEvent* alarm) const {
    const std::lock_guard<std::mutex> lock(alarmMutex_);
    if (!lastAlarm_)
        return false;
    *alarm = *lastAlarm_;
    return alarm->decode();
}

// With KELVO_TRACE_DIR set, every link loss and the close leave a dump there.
void KelvoSession::startRecorder(const QString& ip, quint16 port) {
    static std::atomic<int> sessions{0};
    recorder_ = std::make_shared<kelvo::FrameRecorder>();
    recorder_->setWordNames(wordName);
    const QString dir = qEnvironmentVariable("KELVO_TRACE_DIR");
    const QString label =
        QStringLiteral("%1-%2-s%3").arg(ip).arg(port).arg(++sessions).replace(':', '_');
    recorder_->setAutoDumpDir(dir, label);
}

void KelvoSession::makeTransfer() {
    transfer_ = new TcpUpDownFile(robot_, transferPort_, jobDir_);
    transfer_->setFrameRecorder(recorder_);
    Robot* const robot = robot_;
    QObject::connect(transfer_, &TcpUpDownFile::fileTransfer, robot_,
                     [robot](int stage, const QString& name, qint64 done, qint64 total) {
                         RobotEvent event;
                         event.kind = RobotEvent::Transfer;
                         event.code = stage;
                         event.text = name.toStdString();
                         event.values = {double(done), double(total)};
                         robot->postEvent(std::move(event));
                     });
}

bool KelvoSession::waitUntilConnected(int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    while (!robot_->connected()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kConnectedPollMs));
    }
    return true;
}

KelvoSession::~KelvoSession() {
    {
        std::unique_lock<std::mutex> lock(callsMutex_);
        closing_ = true;
        if (robot_)
            robot_->questions().abandonAll();
        events_.shutdown();
        callsDone_.wait(lock, [this] { return calls_ == 0; });
    }
    // A handler still running may call in (and be refused): it must end before what it would
    // touch goes.
    events_.stop();
    if (robot_) {
        runInRobotThread([this] {
            delete transfer_;
            delete robot_;  // joins the connection thread
        });
        recorder_->autoDump();
    }
    if (thread_) {
        thread_->quit();
        thread_->wait();
        anchor_.reset();  // its thread has ended
    }
}

void KelvoSession::runInRobotThread(const std::function<void()>& work) {
    kelvo::platform::runInThreadOf(anchor_ ? anchor_.get() : robot_, work);
}

void KelvoSession::setReplyTimeout(int ms) {
    if (ms >= 0)
        replyTimeoutMs_ = ms;
}

int KelvoSession::sent(bool handedToLink) {
    return handedToLink ? KELVO_OK : KELVO_ERR_NOT_CONNECTED;
}

namespace {
thread_local bool flatQuestions = false;
}  // namespace

KelvoSession::FlatQuestions::FlatQuestions() : outer_(flatQuestions) {
    flatQuestions = true;
}

KelvoSession::FlatQuestions::~FlatQuestions() {
    flatQuestions = outer_;
}

int KelvoSession::ask(const AnswerTag& expected, const std::function<bool()>& send,
                      Answer* answer) {
    const int timeoutMs = replyTimeoutMs_;
    const QDeadlineTimer deadline =
        timeoutMs == 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    const Unreadable unreadable = flatQuestions ? Unreadable::Answers : Unreadable::Waits;
    switch (robot_->ask(expected, send, deadline, answer, unreadable)) {
        case Robot::Asked::Answered:
            return KELVO_OK;
        case Robot::Asked::NotSent:
            return KELVO_ERR_NOT_CONNECTED;
        case Robot::Asked::Unanswered:
            break;
    }
    return closing_ ? KELVO_ERR_CLOSED : KELVO_ERR_TIMEOUT;
}

int KelvoSession::setTransferPort(quint16 port) {
    return replaceTransfer([this, port] { transferPort_ = port; });
}

int KelvoSession::setJobDir(const QString& dir) {
    return replaceTransfer([this, dir] { jobDir_ = dir; });
}

// The port and folder are read and written in the session's thread only: two changes at once
// from two threads must not race.
int KelvoSession::replaceTransfer(const std::function<void()>& change) {
    int result = KELVO_OK;
    runInRobotThread([&] {
        if (transfer_->isBusy()) {
            result = KELVO_ERR_BUSY;
            return;
        }
        change();
        delete transfer_;
        makeTransfer();
    });
    return result;
}

int KelvoSession::setTraceSize(int frames) {
    if (frames < 0 || frames > kMaxTraceFrames)
        return KELVO_ERR_INVALID;
    recorder_->setCapacity(frames);
    return KELVO_OK;
}

int KelvoSession::dumpTrace(const QString& path) const {
    if (path.isEmpty())
        return KELVO_ERR_INVALID;
    return recorder_->dump(path) ? KELVO_OK : KELVO_ERR_IO;
}
