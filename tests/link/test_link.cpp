#include "hanginglistener.h"
#include "linkprobe.h"
#include "logcapture.h"

#include "link/frame.h"
#include "link/framerecorder.h"
#include "link/tcpconnectmoduleprivate.h"
#include "link/tcpsocket.h"
#include "simharness.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>
#include <vector>

using kelvo::TcpConnectModulePrivate;
using kelvo::sim::nowMs;
using kelvo::sim::SimHarness;
using kelvo::sim::SimMode;

namespace {

constexpr int kTimeBase = 300000, kTickMs = 1666;
constexpr quint16 kHeartBeat = 0x7266, kReport = 0x2003;

const QString kReset = QStringLiteral("重置网络连接");
const QString kTimedOut = QStringLiteral("连接超时 主动断开");

// A numbered payload, padded with about pad bytes.
QByteArray numbered(int n, int pad = 0) {
    return "{\"n\":" + QByteArray::number(n) + ",\"pad\":\"" + QByteArray(pad, 'x') + "\"}\n";
}

int numberOf(const QByteArray& payload) {
    return payload.mid(5, payload.indexOf(',') - 5).toInt();
}

class LinkTest : public ::testing::Test {
protected:
    void createLink(const QString& address, quint16 port) {
        link = std::make_unique<TcpConnectModulePrivate>(address, port, kTimeBase);
        probe = std::make_unique<LinkProbe>(*link);
    }

    // A link to the simulator, connected; the time connectSucceed(1) came.
    qint64 connectToSim(const QString& address = QStringLiteral("127.0.0.1")) {
        const quint16 port = sim.start(address);
        EXPECT_NE(port, 0);
        createLink(address, port);
        link->startNetThread();
        const qint64 connected = probe->waitForState(1, 1, kTickMs + 3000);
        // The link may see the connection before the simulator has taken it.
        EXPECT_TRUE(sim.waitForAccepted(1, 2000));
        return connected;
    }

    LogCapture log;
    SimHarness sim;
    // Declared before the link, so the link is gone before the probe it reports to.
    std::unique_ptr<LinkProbe> probe;
    std::unique_ptr<TcpConnectModulePrivate> link;
};

}  // namespace

TEST_F(LinkTest, ConnectsOnceReportsQueuedAndSendsAndEchoesHeartbeats) {
    const quint16 port = sim.start();
    createLink(QStringLiteral("127.0.0.1"), port);
    QObject receiver;
    QVector<int> queued;
    bool inCreatingThread = true;
    QObject::connect(link.get(), &TcpConnectModulePrivate::connectSucceed, &receiver,
                     [&](int succeed) {
                         queued.append(succeed);
                         inCreatingThread &= QThread::currentThread() == qApp->thread();
                     });
    link->startNetThread();
    ASSERT_GT(probe->waitForState(1, 1, kTickMs + 3000), 0);

    // This thread has run no event loop yet, so the notification waits for it.
    EXPECT_TRUE(queued.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !queued.isEmpty(); }, 2000));
    EXPECT_EQ(queued, QVector<int>{1});
    EXPECT_TRUE(inCreatingThread);

    const QRegularExpression heartBeat(QStringLiteral("^\\{\"time\":(\\d+)\\}\\n$"));
    qint64 previous = 0;
    for (int i = 0; i < 3; ++i) {
        const auto frame = sim.expectFrame(kHeartBeat, kTickMs + 1500);
        ASSERT_TRUE(frame);
        const auto match = heartBeat.match(QString::fromUtf8(frame->payload));
        ASSERT_TRUE(match.hasMatch()) << frame->payload.constData();
        EXPECT_NEAR(match.captured(1).toLongLong(), QDateTime::currentSecsSinceEpoch(), 3);
        if (previous != 0) {
            EXPECT_GE(frame->atMs - previous, kTickMs - 300);
            EXPECT_LE(frame->atMs - previous, kTickMs + 500);
        }
        previous = frame->atMs;
    }
    EXPECT_EQ(probe->count(1), 1);
    EXPECT_EQ(probe->count(0), 0);
    EXPECT_EQ(log.count(QStringLiteral("连接成功")), 1);
    // The controller's heartbeat, whatever it holds, is echoed byte for byte; neither heartbeat
    // word, nor the simulator's answers to the link's own, leave the link.
    const QByteArray odd("\x00\x4E\x66 not json \xFF\n", 16);
    sim.sendReport(kHeartBeat, odd);
    sim.sendReport(0x7267, "{\"time\":5}\n");
    std::optional<kelvo::sim::SimFrame> echo;
    while ((echo = sim.expectFrame(kHeartBeat, 2000)) && echo->payload != odd) {
    }
    ASSERT_TRUE(echo);
    QThread::msleep(300);
    EXPECT_TRUE(probe->frames().isEmpty());
    const auto all = sim.frames();
    EXPECT_EQ(
        std::count_if(all.begin(), all.end(), [&](const auto& f) { return f.payload == odd; }), 1);

    EXPECT_TRUE(link->sendFrame(0x2002, "{\"robot\":1}\n"));
    const auto query = sim.expectFrame(0x2002);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->payload, QByteArray("{\"robot\":1}\n"));

    sim.sendReport(kReport, numbered(7));
    ASSERT_TRUE(probe->waitForFrames(1, 2000));
    EXPECT_EQ(probe->frames().front().command, kReport);
    EXPECT_EQ(probe->frames().front().payload, numbered(7));
    EXPECT_TRUE(probe->deliveredInLinkThread());

    const qint64 before = nowMs();
    link.reset();
    EXPECT_LT(nowMs() - before, 1500);
    EXPECT_TRUE(sim.waitForOpen(0, 2000));
}

// Traffic reported from elsewhere keeps the link up; the controller's own heartbeats, echoed, do
// not, nor can host times switch the check off: 7 to 9 s after the last sign of life the link is
// dropped, once, and rebuilt at a following tick.
TEST_F(LinkTest, OnlyTrafficNotHeartbeatsKeepsAControllerLinkUp) {
    sim.setHeartbeatPeriod(500);
    sim.setMode(SimMode::HeartbeatsOnly);
    ASSERT_GT(connectToSim(), 0);
    link->setLastPingTime(QDateTime());
    link->setLastPingTime(QDateTime::currentDateTime().addYears(100));
    qint64 lastSign = 0;
    for (int i = 0; i < 4; ++i) {
        link->setLastPingTime(QDateTime::currentDateTime());
        lastSign = nowMs();
        QThread::msleep(1000);
    }
    EXPECT_EQ(log.count(kTimedOut), 0);

    const qint64 dropped = waitForLog(log, kTimedOut, 1, 12000);
    ASSERT_GT(dropped, 0);
    EXPECT_GE(dropped - lastSign, 6900);
    EXPECT_LE(dropped - lastSign, 9700);
    const auto frames = sim.frames();
    EXPECT_GE(std::count_if(frames.begin(), frames.end(),
                            [](const kelvo::sim::SimFrame& f) {
                                return f.command == kHeartBeat && f.connection == 1;
                            }),
              12)
        << "the controller's heartbeats were not echoed";
    EXPECT_TRUE(probe->frames().isEmpty());
    const qint64 back = probe->waitForState(1, 2, kTickMs + 2000);
    ASSERT_GT(back, 0);
    EXPECT_LE(back - dropped, kTickMs + 600);
    EXPECT_EQ(probe->count(0), 1) << "one loss, told once";
}

// The controller stops reading for a while and frames of 48 KB fill the kernel's buffers: what the
// kernel does not take at once must go out before anything sent later. Then the link is stopped,
// started, moved to another address and stopped from its own thread.
TEST_F(LinkTest, ManyThreadsSendInOrderThenStopStartChangeIpAndStopFromTheLinkThread) {
    ASSERT_GT(connectToSim(), 0);
    std::thread stall([&] { sim.run([](kelvo::sim::SimController&) { QThread::msleep(800); }); });
    constexpr int kThreads = 4, kEach = 250, kLarge = 25;
    constexpr quint16 kCommand = 0x3001;
    std::atomic<int> refused{0};
    std::atomic<bool> sending{true};
    std::thread pinger([&] {
        while (sending)
            link->setLastPingTime(QDateTime::currentDateTime());
    });
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const int n = t * kEach + i;
                const bool large = i < kLarge;
                refused += !link->sendFrame(kCommand, numbered(n, large ? 48000 : 16));
                // Small frames go on past the stall, so that they meet the backlog draining.
                if (!large)
                    QThread::usleep(5000);
            }
        });
    }
    for (auto& sender : senders)
        sender.join();
    sending = false;
    pinger.join();
    stall.join();
    EXPECT_EQ(refused, 0);

    std::vector<int> last(kThreads, -1);
    for (int i = 0; i < kThreads * kEach; ++i) {
        const auto received = sim.expectFrame(kCommand, 3000);
        ASSERT_TRUE(received) << "frame " << i << " missing";
        const int n = numberOf(received->payload);
        EXPECT_GT(n % kEach, last[n / kEach]);
        last[n / kEach] = n % kEach;
    }
    EXPECT_EQ(probe->count(0), 0);

    // A second controller on another loopback address, same port.
    SimHarness other;
    ASSERT_EQ(other.start(QStringLiteral("127.0.0.2"), sim.port()), sim.port());
    // A receiver in the connection thread may stop the link too (used at the end).
    QObject::connect(
        link.get(), &TcpConnectModulePrivate::receivedData, link.get(),
        [this](quint16 command, const QByteArray&) {
            if (command == 0x2BAD)
                link->stopConnect();
        },
        Qt::DirectConnection);

    link->stopConnect();
    EXPECT_EQ(log.count(QStringLiteral("手动停止")), 1);
    EXPECT_GE(log.count(QStringLiteral("tcpSocket_->close()")), 1);
    EXPECT_EQ(probe->lastState(), 0);
    EXPECT_EQ(probe->count(0), 1) << "a stop is one loss, told once";
    EXPECT_TRUE(sim.waitForOpen(0, 2000));
    const int resets = log.count(kReset);
    QThread::msleep(2 * kTickMs + 300);
    EXPECT_EQ(log.count(kReset), resets);
    EXPECT_EQ(sim.accepted(), 1);
    EXPECT_FALSE(link->sendFrame(kReport, numbered(1)));

    const qint64 started = nowMs();
    link->startConnect();
    EXPECT_EQ(log.count(QStringLiteral("手动开始")), 1);
    const qint64 reconnected = probe->waitForState(1, 2, 3000);
    ASSERT_GT(reconnected, 0);
    EXPECT_LT(reconnected - started, 1000);

    link->changeIp(QStringLiteral("127.0.0.2"));
    EXPECT_TRUE(sim.waitForOpen(0, 2000));
    ASSERT_GT(probe->waitForState(1, 3, kTickMs + 2000), 0);
    EXPECT_TRUE(other.waitForAccepted(1, 2000));
    EXPECT_TRUE(link->sendFrame(kReport, numbered(2)));
    EXPECT_TRUE(other.expectFrame(kReport));

    // A receiver in the connection thread stops the link.
    other.sendReport(0x2BAD, numbered(3));
    EXPECT_TRUE(other.waitForOpen(0, 2000));
    QThread::msleep(kTickMs + 500);
    EXPECT_EQ(other.accepted(), 1);
    EXPECT_EQ(probe->lastState(), 0);
}

// An attempt whose SYNs go unanswered holds up neither senders nor a stop nor the destruction, and
// is given up at its 5 s deadline for a new one.
TEST_F(LinkTest, HangingAttemptHoldsUpNothingAndEndsAtItsDeadline) {
    HangingListener hanging;
    createLink(QStringLiteral("127.0.0.1"), hanging.port());
    const auto recorder = std::make_shared<kelvo::FrameRecorder>();
    link->setRecorder(recorder);
    link->startNetThread();
    ASSERT_GT(waitForLog(log, kReset, 1, kTickMs + 1500), 0);
    QThread::msleep(500);
    ASSERT_EQ(probe->count(1), 0) << "the connection did not hang";

    qint64 before = nowMs();
    EXPECT_FALSE(link->sendFrame(kReport, numbered(1)));
    link->setLastPingTime(QDateTime::currentDateTime());
    EXPECT_LT(nowMs() - before, 100);
    // Refused before it is written or recorded: the half-made connection must never carry it.
    const QTemporaryDir dumps;
    ASSERT_TRUE(recorder->dump(dumps.filePath(QStringLiteral("trace"))));
    QFile trace(dumps.filePath(QStringLiteral("trace")));
    ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
    EXPECT_FALSE(trace.readAll().contains("\"dir\":\"out\""));

    EXPECT_GT(waitForLog(log, kReset, 2, 5000 + kTickMs + 2000), 0) << "the attempt never ended";
    EXPECT_EQ(probe->count(1), 0);
    QThread::msleep(300);

    before = nowMs();
    link->stopConnect();
    EXPECT_LT(nowMs() - before, 1000);
    const int resets = log.count(kReset);
    QThread::msleep(2 * kTickMs + 300);
    EXPECT_EQ(log.count(kReset), resets);
    EXPECT_EQ(probe->count(1), 0);

    link->startConnect();
    ASSERT_GT(waitForLog(log, kReset, resets + 1, 1500), 0);
    before = nowMs();
    link.reset();
    EXPECT_LT(nowMs() - before, 1000);

    // Never started: nothing to wait for.
    TcpConnectModulePrivate idle(QStringLiteral("127.0.0.1"), hanging.port(), kTimeBase);
    idle.stopConnect();
    EXPECT_FALSE(idle.sendFrame(kReport, numbered(1)));
}

// Noise, then half a frame, then silence: the link is dropped and rebuilt, and the new connection
// starts from an empty buffer, so its first bytes cannot complete the old connection's half frame.
TEST_F(LinkTest, AfterNoiseAndSilenceTheRebuiltLinkStartsFromAnEmptyBuffer) {
    sim.setMode(SimMode::Silent);
    ASSERT_GT(connectToSim(), 0);
    const QByteArray cut = kelvo::encodeFrame(kReport, numbered(1));
    sim.sendRaw(QByteArray::fromHex("4E66FFF0") +
                cut.left(8));  // a false header, then half a frame
    const qint64 noise = nowMs();
    ASSERT_GT(probe->waitForState(1, 2, 12000), 0);
    ASSERT_TRUE(sim.waitForAccepted(2, 2000));
    ASSERT_TRUE(sim.waitForOpen(1, 2000));

    sim.sendRaw(cut.mid(8) + kelvo::encodeFrame(kReport, numbered(2)));
    ASSERT_TRUE(probe->waitForFrames(1, 1000));
    RecordProperty("recoveryMs", static_cast<int>(nowMs() - noise));
    QThread::msleep(300);
    ASSERT_EQ(probe->frames().size(), 1);
    EXPECT_EQ(numberOf(probe->frames().front().payload), 2);
    EXPECT_EQ(probe->count(1), 2);
}

// The controller has closed the connection and the socket's thread has not noticed yet (no event
// is processed here): the first write may still be taken, then writes fail, without raising
// SIGPIPE, which a host need not ignore (Qt ignores it only once it writes to a socket itself).
TEST(TcpSocketTest, WritesToAConnectionClosedByThePeerFailWithoutASignal) {
    const auto previous = std::signal(SIGPIPE, SIG_DFL);
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    kelvo::TcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.serverPort());
    ASSERT_TRUE(socket.waitForConnected(3000));
    ASSERT_TRUE(server.waitForNewConnection(3000));
    QTcpSocket* peer = server.nextPendingConnection();
    EXPECT_TRUE(socket.send("ping"));
    ASSERT_TRUE(peer->waitForReadyRead(3000));
    EXPECT_EQ(peer->readAll(), "ping");
    peer->close();

    bool refused = false;
    for (int i = 0; i < 200 && !refused; ++i) {
        refused = !socket.send(QByteArray(100, 'x'));
        QThread::msleep(1);
    }
    EXPECT_TRUE(refused);
    EXPECT_FALSE(socket.send("after"));
    std::signal(SIGPIPE, previous);
}
