// Every word of the inbound catalogue reaches its signal by its rule, and only that signal.
#include "message/reportcatalogue.h"

#include <QMetaMethod>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

using kelvo::DispatchRule;
using kelvo::Report;

std::vector<const Report*> catalogue() {
    std::vector<const Report*> reports;
    for (int word = 0; word <= 0xFFFF; ++word) {
        if (const Report* report = kelvo::findReport(static_cast<quint16>(word)))
            reports.push_back(report);
    }
    return reports;
}

QMetaMethod signalOf(const Report& report) {
    return std::visit([](auto signal) { return QMetaMethod::fromSignal(signal); }, report.signal);
}

// A payload that passes the rule.
QByteArray passingPayload(DispatchRule rule) {
    switch (rule) {
        case DispatchRule::OneByte:
            return QByteArray(1, '\x05');
        case DispatchRule::Position:
            return "{\"coord\":1,\"posDeg\":[1,2,3,4,5,6,7],\"robot\":2}\n";
        default:
            return "{\"robot\":1,\"x\":[0.50]}\n";
    }
}

// Whether the rule lets a payload through: passing, empty or one non-JSON byte.
bool accepts(DispatchRule rule, const QByteArray& payload) {
    switch (rule) {
        case DispatchRule::ForwardIfNotEmpty:
            return !payload.isEmpty();
        case DispatchRule::ForwardIfJson:
        case DispatchRule::Position:
            return payload == passingPayload(rule);
        case DispatchRule::OneByte:
            return payload.size() == 1;
        default:
            return true;
    }
}

TEST(Catalogue, EveryWordReachesExactlyItsSignalsByItsRule) {
    // Port 9 on loopback: the link is never started, the dispatcher is called directly.
    TcpConnectModule module("127.0.0.1", 9, 300000);
    // One spy per declared signal, so a word routed to the wrong signal shows up as well.
    const QMetaObject* meta = module.metaObject();
    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() == QMetaMethod::Signal)
            spies[method.name()] = std::make_unique<QSignalSpy>(&module, method);
    }
    const std::vector<const Report*> reports = catalogue();
    ASSERT_FALSE(reports.empty());
    for (const Report* report : reports) {
        const QByteArray name = signalOf(*report).name();
        for (const QByteArray& payload :
             {passingPayload(report->rule), QByteArray(), QByteArray("x")}) {
            SCOPED_TRACE(
                (QByteArray::number(report->word, 16) + " " + name + " payload " + payload.toHex())
                    .constData());
            module.onReceivedData(report->word, payload);

            std::vector<QByteArray> expected;
            if (accepts(report->rule, payload)) {
                expected.push_back(name);
                if (report->rule == DispatchRule::TwoSignals)
                    expected.push_back("receivedJobStatus");
            }
            std::vector<QByteArray> fired;
            for (auto& [signal, spy] : spies) {
                for (int i = 0; i < spy->count(); ++i)
                    fired.push_back(signal);
            }
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(fired, expected);

            const bool carriesPayload =
                std::holds_alternative<Report::PayloadSignal>(report->signal);
            QSignalSpy& spy = *spies.at(name);
            if (carriesPayload && spy.count() == 1) {
                EXPECT_EQ(spy.at(0).at(0).toByteArray(), payload);
            }
            for (auto& named : spies)
                named.second->clear();
        }
    }
}

}  // namespace
