// The checked dispatch rules, with the inputs that tell a right rule from a near miss.
#include "logcapture.h"
#include "message/reportcatalogue.h"
#include "message/tcpconnectmodule.h"

#include <QMetaMethod>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

using kelvo::DispatchRule;

class Dispatch : public ::testing::Test {
protected:
    TcpConnectModule module{"127.0.0.1", 9, 300000};
};

// Which of the three signals a payload reaches, and what it carries: test mode takes exactly one
// signed byte; JSON-checked reports pass only JSON, whose text ends at the first zero byte, with
// the bytes as received; unknown words come out unchanged (0x7266 would be the link's to consume;
// a transfer-connection word is the loopback test's).
TEST_F(Dispatch, CheckedRulesPassExactlyTheirPayloadsAndUnknownWordsPassUnchanged) {
    QSignalSpy testMode(&module, &TcpConnectModule::receivedTestMode);
    QSignalSpy json(&module, &TcpConnectModule::receivedServoStatus);
    QSignalSpy unknown(&module, &TcpConnectModule::receivedData);
    const QByteArray raw("\x00\xFFraw", 5);
    const struct {
        quint16 word;
        QByteArray payload;
        QSignalSpy* reached;  // nullptr: dropped
        qint8 testModeValue = 0;
    } cases[] = {{0x2703, QByteArray("\x05", 1), &testMode, 5},
                 {0x2703, QByteArray("\xFF", 1), &testMode, -1},
                 {0x2703, QByteArray("\x80", 1), &testMode, -128},
                 {0x2703, QByteArray(), nullptr},
                 {0x2703, QByteArray("\x01\x02", 2), nullptr},
                 {0x2003, "abc", nullptr},
                 {0x2003, "", nullptr},
                 {0x2003, "{\"servo\":", nullptr},
                 {0x2003, "/* comment */{\"servo\":3}\n", &json},
                 {0x2003, QByteArray("{\"servo\":3}\0\xFFtrailing", 22), &json},
                 {0x2003, QByteArray("\0{\"servo\":3}", 12), nullptr},
                 {0x2003, "{\"name\":\"\xFF\xFE\"}", &json},
                 {0x0000, raw, &unknown},
                 {0x2004, raw, &unknown},
                 {0x7266, raw, &unknown},
                 {0xFFFF, raw, &unknown}};
    for (const auto& c : cases) {
        SCOPED_TRACE((QByteArray::number(c.word, 16) + " " + c.payload.toHex()).constData());
        module.onReceivedData(c.word, c.payload);
        const QVariantList carried =
            c.reached == &testMode ? QVariantList{QVariant::fromValue(c.testModeValue)}
            : c.reached == &json   ? QVariantList{c.payload}
                                   : QVariantList{QVariant::fromValue(c.word), c.payload};
        for (QSignalSpy* spy : {&testMode, &json, &unknown}) {
            ASSERT_EQ(spy->count(), spy == c.reached ? 1 : 0);
            if (spy == c.reached) {
                EXPECT_EQ(spy->takeFirst(), carried);
            }
        }
    }
}

// Every word of the inbound catalogue reaches its signals, and only those, by its rule: a payload
// that passes, an empty one and one non-JSON byte.
TEST_F(Dispatch, EveryCatalogueWordReachesExactlyItsSignalsByItsRule) {
    // One spy per declared signal, so a word routed to the wrong signal shows up as well.
    const QMetaObject* meta = module.metaObject();
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        if (meta->method(i).methodType() == QMetaMethod::Signal)
            spies[meta->method(i).name()] = std::make_unique<QSignalSpy>(&module, meta->method(i));
    }
    int words = 0;
    for (int word = 0; word <= 0xFFFF; ++word) {
        const kelvo::Report* report = kelvo::findReport(static_cast<quint16>(word));
        if (!report)
            continue;
        ++words;
        const DispatchRule rule = report->rule;
        const QByteArray name = std::visit(
            [](auto signal) { return QMetaMethod::fromSignal(signal).name(); }, report->signal);
        const QByteArray passing =
            rule == DispatchRule::OneByte ? QByteArray(1, '\x05')
            : rule == DispatchRule::Position
                ? QByteArray("{\"coord\":1,\"posDeg\":[1,2,3,4,5,6,7],\"robot\":2}\n")
                : "{\"robot\":1,\"x\":[0.50]}\n";
        const bool checked = rule == DispatchRule::ForwardIfJson || rule == DispatchRule::Position;
        for (const QByteArray& payload : {passing, QByteArray(), QByteArray("x")}) {
            SCOPED_TRACE(
                (QByteArray::number(word, 16) + " " + name + " " + payload.toHex()).data());
            module.onReceivedData(report->word, payload);
            const bool passes = payload == passing ||
                                (rule == DispatchRule::OneByte             ? payload.size() == 1
                                 : rule == DispatchRule::ForwardIfNotEmpty ? !payload.isEmpty()
                                                                           : !checked);
            std::vector<QByteArray> expected, fired;
            if (passes)
                expected.push_back(name);
            if (passes && rule == DispatchRule::TwoSignals)
                expected.push_back("receivedJobStatus");
            for (auto& [signal, spy] : spies)
                fired.insert(fired.end(), spy->count(), signal);
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(fired, expected);
            QSignalSpy& spy = *spies.at(name);
            if (std::holds_alternative<kelvo::Report::PayloadSignal>(report->signal) &&
                spy.count() == 1) {
                EXPECT_EQ(spy.at(0).at(0).toByteArray(), payload);
            }
            for (auto& named : spies)
                named.second->clear();
        }
    }
    EXPECT_GT(words, 0);
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
