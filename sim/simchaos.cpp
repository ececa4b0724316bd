#include "simchaos.h"

#include "simcontroller.h"
#include "simframe.h"

#include <QStringList>
#include <QThread>

namespace kelvo::sim {

namespace {

constexpr int kShortestStallMs = 500;
constexpr int kShortestByteWritesMs = 1000;
constexpr int kLongestByteWritesMs = 3000;

}  // namespace

std::optional<SimChaosRates> SimChaosRates::parse(const QString& text) {
    SimChaosRates rates;
    double stallMs = rates.stallMs;
    const struct {
        const char* name;
        double* value;
        double limit;
    } kRates[] = {{"reports", &rates.reports, 1000}, {"drops", &rates.drops, 100},
                  {"stalls", &rates.stalls, 100},    {"stall", &stallMs, 60000},
                  {"bytes", &rates.bytes, 100},      {"garbage", &rates.garbage, 1000},
                  {"files", &rates.files, 1}};
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList pair = item.split(QLatin1Char('='));
        bool ok = false;
        const double value = pair.size() == 2 ? pair[1].toDouble(&ok) : 0;
        bool known = false;
        for (const auto& rate : kRates) {
            if (ok && pair[0] == QLatin1String(rate.name) && value >= 0 && value <= rate.limit) {
                *rate.value = value;
                known = true;
            }
        }
        if (!known)
            return std::nullopt;
    }
    rates.stallMs = static_cast<int>(stallMs);
    return rates;
}

SimChaos::SimChaos(SimController& controller)
    : controller_(controller), ticker_(new QTimer(&controller)) {
    QObject::connect(ticker_, &QTimer::timeout, ticker_, [this] { tick(); });
}

SimChaos::~SimChaos() {
    delete ticker_;
}

void SimChaos::start(quint64 seed, const SimChaosRates& rates) {
    random_.seed(seed);
    rates_ = rates;
    active_ = true;
    ticker_->start(kTickMs);
}

void SimChaos::stop() {
    active_ = false;
    ticker_->stop();
    byteWritesUntil_ = 0;
    controller_.setSingleByteWrites(false);
}

bool SimChaos::strikesFiles() {
    return active_ && std::bernoulli_distribution(rates_.files)(random_);
}

bool SimChaos::happens(double perSecond) {
    return std::bernoulli_distribution(qMin(1.0, perSecond * kTickMs / 1000))(random_);
}

void SimChaos::tick() {
    const int reports = std::poisson_distribution<int>(rates_.reports * kTickMs / 1000)(random_);
    for (int i = 0; i < reports; ++i) {
        const quint16 word = hostile_.word();  // drawn before its payload: a seed repeats a run
        controller_.sendReport(word, hostile_.payload());
    }
    if (happens(rates_.garbage))
        controller_.sendRaw(hostile_.garbage());
    if (byteWritesUntil_ != 0 && nowMs() >= byteWritesUntil_) {
        byteWritesUntil_ = 0;
        controller_.setSingleByteWrites(false);
    }
    if (happens(rates_.bytes)) {
        byteWritesUntil_ = nowMs() + std::uniform_int_distribution<int>(
                                         kShortestByteWritesMs, kLongestByteWritesMs)(random_);
        controller_.setSingleByteWrites(true);
    }
    if (happens(rates_.drops))
        controller_.dropConnections();
    if (happens(rates_.stalls))
        stall();
}

// A frozen controller: nothing is read, answered or sent meanwhile.
void SimChaos::stall() {
    const int ms = std::uniform_int_distribution<int>(
        kShortestStallMs, qMax(kShortestStallMs, rates_.stallMs))(random_);
    QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace kelvo::sim
