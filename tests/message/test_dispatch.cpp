// The checked dispatch rules, with the inputs that tell a right rule from a near miss.
#include "logcapture.h"
#include "message/tcpconnectmodule.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

namespace {

class Dispatch : public ::testing::Test {
protected:
    TcpConnectModule module{"127.0.0.1", 9, 300000};
};

TEST_F(Dispatch, TestModeTakesExactlyOneSignedByte) {
    const struct {
        QByteArray payload;
        std::optional<int> expected;
    } cases[] = {{QByteArray("\x05", 1), 5},
                 {QByteArray("\xFF", 1), -1},
                 {QByteArray("\x80", 1), -128},
                 {QByteArray(), std::nullopt},
                 {QByteArray("\x01\x02", 2), std::nullopt}};
    for (const auto& c : cases) {
        QSignalSpy spy(&module, &TcpConnectModule::receivedTestMode);
        module.onReceivedData(0x2703, c.payload);
        ASSERT_EQ(spy.count(), c.expected ? 1 : 0) << c.payload.toHex().constData();
        if (c.expected) {
            EXPECT_EQ(spy.at(0).at(0).value<qint8>(), *c.expected);
        }
    }
}

TEST_F(Dispatch, JsonCheckedReportsPassOnlyJsonAndForwardTheBytesAsReceived) {
    const struct {
        QByteArray payload;
        bool forwarded;
    } cases[] = {
        {"abc", false},
        {"", false},
        {"{\"servo\":", false},
        {"/* comment */{\"servo\":3}\n", true},
        // The text ends at the first zero byte; what follows still travels with the payload.
        {QByteArray("{\"servo\":3}\0\xFFtrailing", 22), true},
        {QByteArray("\0{\"servo\":3}", 12), false},
        {"{\"name\":\"\xFF\xFE\"}", true}};
    // Every JSON-checked word follows one rule, which the catalogue test walks for each.
    for (const auto& c : cases) {
        QSignalSpy spy(&module, &TcpConnectModule::receivedServoStatus);
        module.onReceivedData(0x2003, c.payload);
        ASSERT_EQ(spy.count(), c.forwarded ? 1 : 0) << c.payload.constData();
        if (c.forwarded) {
            EXPECT_EQ(spy.at(0).at(0).toByteArray(), c.payload);
        }
    }
}

TEST_F(Dispatch, PositionReportIsDecodedOrDroppedWhole) {
    using V = QVector<double>;
    const struct {
        const char* payload;
        std::optional<V> position;
        int coord;
        int robot;
    } cases[] = {
        {R"({"posDeg":[1,2,3,4,5,6,7],"coord":1,"robot":2})", V{1, 2, 3, 4, 5, 6, 7}, 1, 2},
        {R"({"posDeg":[1.5,-2,3],"coord":0,"robot":4})", V{1.5, -2, 3, 0, 0, 0, 0}, 0, 4},
        {R"({"posDeg":[1,2,3,4,5,6,7,8,9],"coord":3,"robot":1})", V{1, 2, 3, 4, 5, 6, 7}, 3, 1},
        {R"({"posDeg":[],"coord":2.9,"robot":1})", V{0, 0, 0, 0, 0, 0, 0}, 2, 1},
        // A member missing, or not JSON at all.
        {R"({"posDeg":[1,2,3,4,5,6,7],"coord":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,2,3,4,5,6,7],"robot":1})", std::nullopt, 0, 0},
        {R"({"coord":1,"robot":1})", std::nullopt, 0, 0},
        {R"([1,2,3])", std::nullopt, 0, 0},
        {"abc", std::nullopt, 0, 0},
        // Wrong types: the JSON library would throw converting these.
        {R"({"posDeg":"1,2,3","coord":1,"robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":{"0":1},"coord":1,"robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,"2",3],"coord":1,"robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,[2],3],"coord":1,"robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,2,3],"coord":"1","robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,2,3],"coord":1,"robot":{}})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,2,3],"coord":1e300,"robot":1})", std::nullopt, 0, 0},
        {R"({"posDeg":[1,2,3],"coord":1,"robot":4294967296})", std::nullopt, 0, 0}};
    for (const auto& c : cases) {
        QSignalSpy spy(&module, &TcpConnectModule::receivedPosition);
        module.onReceivedData(0x2A03, QByteArray(c.payload));
        ASSERT_EQ(spy.count(), c.position ? 1 : 0) << c.payload;
        if (!c.position)
            continue;
        EXPECT_EQ(spy.at(0).at(0).value<QVector<double>>(), *c.position) << c.payload;
        EXPECT_EQ(spy.at(0).at(1).toInt(), c.coord) << c.payload;
        EXPECT_EQ(spy.at(0).at(2).toInt(), c.robot) << c.payload;
    }
}

TEST_F(Dispatch, UnknownWordsComeOutAsReceivedDataUnchanged) {
    // 0x5511 belongs to the transfer connection; 0x7266 would be the link's to consume.
    for (const quint16 word : {0x0000, 0x1234, 0x2004, 0x5511, 0x7266, 0xFFFF}) {
        QSignalSpy spy(&module, &TcpConnectModule::receivedData);
        const QByteArray payload = QByteArray("\x00\xFFraw", 5);
        module.onReceivedData(word, payload);
        ASSERT_EQ(spy.count(), 1) << word;
        EXPECT_EQ(spy.at(0).at(0).value<quint16>(), word);
        EXPECT_EQ(spy.at(0).at(1).toByteArray(), payload);
    }
}

TEST_F(Dispatch, JobStatusReportsRunStatusFirst) {
    QStringList order;
    QObject::connect(&module, &TcpConnectModule::receivedProRunStatus,
                     [&](const QByteArray&) { order << "receivedProRunStatus"; });
    QObject::connect(&module, &TcpConnectModule::receivedJobStatus,
                     [&](const QByteArray&) { order << "receivedJobStatus"; });
    module.onReceivedData(0x9103, "{}");
    EXPECT_EQ(order, QStringList({"receivedProRunStatus", "receivedJobStatus"}));
    order.clear();
    module.onReceivedData(0x3D03, "{}");
    EXPECT_EQ(order, QStringList({"receivedProRunStatus"}));
}

TEST_F(Dispatch, ThrowingReceiverDoesNotEscapeTheDispatcher) {
    LogCapture log;
    QObject::connect(
        &module, &TcpConnectModule::receivedOperationMode, &module,
        [](const QByteArray&) { throw std::runtime_error("receiver bug"); }, Qt::DirectConnection);
    EXPECT_NO_THROW(module.onReceivedData(0x2103, "{\"mode\":0}"));
    EXPECT_EQ(log.count("a receiver of command word 0x2103 threw"), 1);

    QSignalSpy next(&module, &TcpConnectModule::receivedCoordinationMode);
    module.onReceivedData(0x2203, "{}");
    EXPECT_EQ(next.count(), 1);
}

}  // namespace
