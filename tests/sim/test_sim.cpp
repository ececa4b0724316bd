#include "link/frame.h"
#include "link/framedecoder.h"
#include "rawframes.h"
#include "simharness.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <optional>

using kelvo::Frame;
using kelvo::sim::nowMs;
using kelvo::sim::SimHarness;

namespace {

constexpr quint16 kHeartBeat = 0x7266;
constexpr quint16 kHeartBeatReply = 0x7267;

// A plain blocking client standing in for the library.
class Client {
public:
    bool connectTo(quint16 port) {
        socket_.connectToHost(QStringLiteral("127.0.0.1"), port);
        return socket_.waitForConnected(2000);
    }
    void send(quint16 command, const QByteArray& payload) {
        sendRaw(kelvo::encodeFrame(command, payload));
    }
    void sendRaw(const QByteArray& bytes) {
        socket_.write(bytes);
        socket_.waitForBytesWritten(1000);
    }
    std::optional<Frame> next(int timeoutMs) {
        Frame frame;
        const qint64 deadline = nowMs() + timeoutMs;
        while (!decoder_.next(&frame)) {
            const qint64 left = deadline - nowMs();
            if (left <= 0 || !socket_.waitForReadyRead(static_cast<int>(left))) {
                return std::nullopt;
            }
            decoder_.append(socket_.readAll());
        }
        return frame;
    }

private:
    QTcpSocket socket_;
    kelvo::FrameDecoder decoder_{kelvo::FrameDecoder::HeadErrors::Silent};
};

}  // namespace

TEST(Sim, AnswersHeartbeatsAndRecordsEveryFrameWithTimeAndConnection) {
    SimHarness sim;
    const quint16 port = sim.start();
    ASSERT_NE(port, 0);
    Client client;
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
    Client client;
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
    Client first;
    ASSERT_TRUE(first.connectTo(port));
    ASSERT_TRUE(sim.waitForAccepted(1, 2000));
    sim.stopListening();
    EXPECT_FALSE(Client().connectTo(port));
    EXPECT_TRUE(sim.resumeListening());
    Client second;
    EXPECT_TRUE(second.connectTo(port));
    EXPECT_TRUE(sim.waitForAccepted(2, 2000));
    EXPECT_EQ(sim.openConnections(), 2);  // stopping the listener left the first one open
}

TEST(SimProgram, ServesTheControlPortAndRejectsBadArguments) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();

    QProcess program;
    program.start(QStringLiteral(KELVO_SIM_PROGRAM),
                  {QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                   QStringLiteral("--control-port"), QString::number(port)});
    ASSERT_TRUE(program.waitForReadyRead(5000));
    EXPECT_TRUE(program.readAllStandardOutput().contains("listening on 127.0.0.1"));
    Client client;
    ASSERT_TRUE(client.connectTo(port));
    client.send(kHeartBeat, "{\"time\":1}\n");
    const auto reply = client.next(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, kHeartBeatReply);
    program.kill();
    program.waitForFinished(2000);

    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("--listen"), QStringLiteral("nowhere")},
          QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                      QStringLiteral("--control-port"), QStringLiteral("70000")}}) {
        QProcess bad;
        bad.start(QStringLiteral(KELVO_SIM_PROGRAM), arguments);
        ASSERT_TRUE(bad.waitForFinished(5000));
        EXPECT_EQ(bad.exitCode(), 2) << arguments.join(' ').toStdString();
    }
}
