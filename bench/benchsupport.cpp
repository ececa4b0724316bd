#include "benchsupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include <utility>
#include <vector>

namespace kelvo::bench {

namespace {

std::vector<std::function<void()>>& ends() {
    static std::vector<std::function<void()>> list;
    return list;
}

}  // namespace

int runWithQt(int argc, char** argv, const char* loggingRules) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QString::fromLatin1(loggingRules));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& end : ends())
        end();
    ends().clear();
    return 0;
}

bool processEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

namespace detail {

void endAfterRun(std::function<void()> end) {
    ends().push_back(std::move(end));
}

}  // namespace detail

}  // namespace kelvo::bench
