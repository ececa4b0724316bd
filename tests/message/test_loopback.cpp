// The message layer on a real link: request frames as the controller receives them, reports from
// the controller as signals, connected by name the way users of the class connect.
#include "message/tcpconnectmodule.h"
#include "simharness.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A short time base: check tick 166 ms, so connecting takes a fraction of a second.
constexpr int kFastTimeBase = 30000;

int robotThree() {
    return 3;
}

// Lives in the test thread, so reports reach it queued, as they reach Robot.
class PositionReceiver : public QObject {
    Q_OBJECT
public:
    QVector<double> position;
    int coord = -1;
    int robot = -1;
public slots:
    void onPosition(QVector<double> p, int c, int r) {
        position = p;
        coord = c;
        robot = r;
    }
};

// Requests go out as the controller receives them, reports come back as signals; heartbeats never
// reach the dispatcher.
TEST(Loopback, RequestSlotsSendTheirFramesAndReportsArriveAsSignals) {
    kelvo::sim::SimHarness sim;
    ASSERT_NE(sim.start(), 0);
    TcpConnectModule module(sim.address(), sim.port(), kFastTimeBase);
    module.setRobotNumberSource(&robotThree);
    QSignalSpy connected(&module, &TcpConnectModule::connectSucceed);
    module.start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !connected.isEmpty() && connected.last().at(0).toInt() == 1; }, 5000));
    // The link can see the connection before the simulator has taken it in.
    ASSERT_TRUE(sim.waitForOpen(1, 5000));

    using M = TcpConnectModule;
    const struct {
        std::function<bool(M&)> request;
        quint16 word;
        QByteArray payload;
    } requests[] = {
        {[](M& m) { return m.setServoStatus(ServoStatus::Ready); }, 0x2001,
         "{\"robot\":3,\"status\":1}\n"},
        {&M::getServoStatus, 0x2002, "{\"robot\":3}\n"},
        {&M::getSelectTool, 0x380B, "{\"robot\":3}\n"},
        {[](M& m) { return m.clearError(0x8102A3F4u); }, 0x2B01, QByteArray("\x81\x02\xA3\xF4", 4)},
        {&M::clearAllError, 0x3201, "{\"robot\":3}\n"}};
    for (const auto& r : requests) {
        SCOPED_TRACE(r.word);
        EXPECT_TRUE(r.request(module));
        const auto frame = sim.expectFrame(r.word);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->payload, r.payload);
    }

    PositionReceiver receiver;
    // By name and queued, as users of the class connect; the vector type must be known by name.
    ASSERT_TRUE(QObject::connect(&module, SIGNAL(receivedPosition(QVector<double>, int, int)),
                                 &receiver, SLOT(onPosition(QVector<double>, int, int))));
    QList<quint16> unknown;
    QObject::connect(&module, &TcpConnectModule::receivedData, &receiver,
                     [&](quint16 word, const QByteArray&) { unknown << word; });

    sim.sendReport(0x7267, QByteArray("{}\n"));
    sim.sendReport(0x7266, QByteArray("{\"time\":1}\n"));
    sim.sendReport(0x5511, QByteArray("{}\n"));  // a transfer-connection word
    sim.sendReport(0x2A03, QByteArray("{\"coord\":1,\"posDeg\":[1,2,3],\"robot\":2}\n"));

    ASSERT_TRUE(QTest::qWaitFor([&] { return receiver.robot != -1; }, 5000));
    EXPECT_EQ(receiver.position, QVector<double>({1, 2, 3, 0, 0, 0, 0}));
    EXPECT_EQ(receiver.coord, 1);
    EXPECT_EQ(receiver.robot, 2);
    EXPECT_EQ(unknown, QList<quint16>({0x5511}));
}

}  // namespace

#include "test_loopback.moc"
