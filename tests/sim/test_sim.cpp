#include "link/frame.h"
#include "link/framedecoder.h"
#include "rawframes.h"
#include "simclient.h"
#include "simharness.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

using kelvo::Frame;
using kelvo::sim::nowMs;
using kelvo::sim::SimHarness;

namespace {

constexpr quint16 kHeartBeat = 0x7266;
constexpr quint16 kHeartBeatReply = 0x7267;

}  // namespace

TEST(Sim, AnswersHeartbeatsAndRecordsEveryFrameWithTimeAndConnection) {
    SimHarness sim;
    const quint16 port = sim.start();
    ASSERT_NE(port, 0);
    SimClient client;
    ASSERT_TRUE(client.connectTo(port));
    EXPECT_TRUE(sim.waitForAccepted(1, 2000));

    const qint64 before = nowMs();
    client.sendRaw(kelvo::sim::raw::garbage(5) + kelvo::sim::raw::withBadCrc(0x2002, "{}\n"));
    client.send(kHeartBeat, "{\"time\":42}\n");
    const auto reply = client.next(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kHeartBeatReply);
    EXPECT_EQ(reply->payload, QByteArray("{\"time\":42}\n"));

    const auto recorded = sim.expectFrame(kHeartBeat);
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->payload, QByteArray("{\"time\":42}\n"));
    EXPECT_EQ(recorded->connection, 1);
    EXPECT_GE(recorded->atMs, before);
    EXPECT_LE(recorded->atMs, nowMs());
    EXPECT_EQ(sim.frames().size(), 1);  // the damaged frame was skipped
    // Taken once only; an absent frame fails after the time-out, not before.
    const qint64 waited = nowMs();
    EXPECT_FALSE(sim.expectFrame(kHeartBeat, 200));
    EXPECT_GE(nowMs() - waited, 190);

    // Unknown words are recorded, not answered.
    client.send(0x2002, "{\"robot\":1}\n");
    EXPECT_TRUE(sim.expectFrame(0x2002));
    EXPECT_FALSE(client.next(300));
}

TEST(Sim, DelaysScriptedRepliesAndReports) {
    SimHarness sim;
    SimClient client;
    ASSERT_TRUE(client.connectTo(sim.start()));
    ASSERT_TRUE(sim.waitForAccepted(1, 2000));

    sim.setReplyDelay(300);
    qint64 sent = nowMs();
    client.send(kHeartBeat, "{}\n");
    ASSERT_TRUE(client.next(2000));
    EXPECT_GE(nowMs() - sent, 280);
    sim.setReplyDelay(0);

    sim.setReply(0x2002, 0x2003, QByteArray("{\"servo\":1}\n"));
    sim.setReply(0x2102, 0x2103);
    client.send(0x2002, "{}\n");
    client.send(0x2102, "{\"echo\":1}\n");
    auto answer = client.next(2000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->command, 0x2003);
    EXPECT_EQ(answer->payload, QByteArray("{\"servo\":1}\n"));
    answer = client.next(2000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->command, 0x2103);
    EXPECT_EQ(answer->payload, QByteArray("{\"echo\":1}\n"));

    Json::Value body(Json::objectValue);
    body["robot"] = 2;
    sim.sendJson(0x2003, body);
    sim.sendRaw(kelvo::encodeFrame(0x3003, "raw"));
    answer = client.next(2000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->payload, QByteArray("{\"robot\":2}\n"));
    answer = client.next(2000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->command, 0x3003);
}

// The link tests drive reboots; here the listener alone, which they do not reach.
TEST(Sim, StopsAndResumesListeningOnTheSamePort) {
    SimHarness sim;
    const quint16 port = sim.start();
    SimClient first;
    ASSERT_TRUE(first.connectTo(port));
    ASSERT_TRUE(sim.waitForAccepted(1, 2000));
    sim.stopListening();
    EXPECT_FALSE(SimClient().connectTo(port));
    EXPECT_TRUE(sim.resumeListening());
    SimClient second;
    EXPECT_TRUE(second.connectTo(port));
    EXPECT_TRUE(sim.waitForAccepted(2, 2000));
    EXPECT_EQ(sim.openConnections(), 2);  // stopping the listener left the first one open
}

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// kelvo-sim as a child process, driven through its console.
class SimProgram {
public:
    SimProgram(quint16 port, QStringList options) {
        program_.start(QStringLiteral(KELVO_SIM_PROGRAM),
                       QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                                   QStringLiteral("--control-port"), QString::number(port)} +
                           options);
    }
    ~SimProgram() {
        program_.kill();
        program_.waitForFinished(2000);
    }
    bool listening() { return answerTo("kelvo-sim listening on 127.0.0.1"); }
    // True when the console answers the line with "ok".
    bool command(const QByteArray& line) {
        program_.write(line + '\n');
        return answerTo("ok " + line);
    }

private:
    // Reads lines until one starts with expected (true) or an answer of another kind comes.
    bool answerTo(const QByteArray& expected) {
        const qint64 deadline = nowMs() + 5000;
        while (nowMs() < deadline) {
            if (!program_.canReadLine() && !program_.waitForReadyRead(100))
                continue;
            const QByteArray line = program_.readLine().trimmed();
            if (line.startsWith(expected))
                return true;
            if (line.startsWith("error ") || line.startsWith("ok "))
                return false;
        }
        return false;
    }

    QProcess program_;
};

}  // namespace

TEST(SimProgram, ServesTheControlPortAndRejectsBadArguments) {
    const quint16 port = freePort();
    {
        SimProgram scripted(port, {QStringLiteral("--scripted")});
        ASSERT_TRUE(scripted.listening());
        SimClient client;
        ASSERT_TRUE(client.connectTo(port));
        client.send(0x2102, "");
        client.send(kHeartBeat, "{\"time\":1}\n");
        const auto reply = client.next(2000);  // no greeting, no state: only the heartbeat
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->command, kHeartBeatReply);
        EXPECT_FALSE(scripted.command("din 1 1"));
    }
    {
        SimProgram controller(port, {QStringLiteral("--robots"), QStringLiteral("3"),
                                     QStringLiteral("--push"), QStringLiteral("50")});
        ASSERT_TRUE(controller.listening());
        SimClient client;
        ASSERT_TRUE(client.connectTo(port));
        const auto count = client.nextOf(0x2E06);
        ASSERT_TRUE(count);
        EXPECT_EQ(count->payload, QByteArray("{\"sum\":3}\n"));
        EXPECT_TRUE(client.nextOf(0x2F08, 1000));  // unasked
        EXPECT_FALSE(controller.command("push 1001"));
    }

    const QString listen = QStringLiteral("--listen");
    const QString local = QStringLiteral("127.0.0.1");
    for (const QStringList& arguments :
         {QStringList{}, QStringList{listen, QStringLiteral("nowhere")},
          QStringList{listen, local, QStringLiteral("--control-port"), QStringLiteral("70000")},
          QStringList{listen, local, QStringLiteral("--robots"), QStringLiteral("5")},
          QStringList{listen, local, QStringLiteral("--robots"), QStringLiteral("two")},
          QStringList{listen, local, QStringLiteral("--push"), QStringLiteral("1001")},
          QStringList{listen, local, QStringLiteral("--scripted"), QStringLiteral("--push"),
                      QStringLiteral("5")}}) {
        QProcess bad;
        bad.start(QStringLiteral(KELVO_SIM_PROGRAM), arguments);
        ASSERT_TRUE(bad.waitForFinished(5000));
        EXPECT_EQ(bad.exitCode(), 2) << arguments.join(' ').toStdString();
    }
}

TEST(SimProgram, ConsoleDrivesInputsAlarmsSelectionAndFaults) {
    const quint16 port = freePort();
    SimProgram sim(port, {QStringLiteral("--robots"), QStringLiteral("2")});
    ASSERT_TRUE(sim.listening());
    SimClient client;
    ASSERT_TRUE(client.connectTo(port));
    ASSERT_TRUE(client.nextOf(0x5003));

    struct Line {
        const char* command;
        bool ok;
        quint16 report;  // what the client is sent, 0 for nothing decodable
    };
    const Line lines[] = {
        {"din 3 1", true, 0x3606},    {"ain 2 -5", true, 0x360B}, {"alarm 2", true, 0x2B03},
        {"clear 2", true, 0x2003},    {"tool 1 3", true, 0x380C}, {"user 2 1", true, 0x3C0C},
        {"select 1 2", true, 0x5003}, {"din 129 1", false, 0},    {"alarm x", false, 0},
        {"select 0 3", false, 0},     {"garbage 40", true, 0},    {"badcrc 2003 {}", true, 0},
        {"split -1", false, 0},       {"nonsense", false, 0},
    };
    for (const Line& line : lines) {
        SCOPED_TRACE(line.command);
        EXPECT_EQ(sim.command(line.command), line.ok);
        if (line.report)
            EXPECT_TRUE(client.nextOf(line.report));
        else
            EXPECT_FALSE(client.next(200));
    }

    ASSERT_TRUE(sim.command("reboot 700"));
    const qint64 rebooted = nowMs();
    EXPECT_FALSE(client.next(300));  // dropped
    bool back = false;
    while (!back && nowMs() - rebooted < 5000) {
        back = SimClient().connectTo(port);
        QThread::msleep(back ? 0 : 20);
    }
    EXPECT_TRUE(back);
    EXPECT_GE(nowMs() - rebooted, 650);
}
