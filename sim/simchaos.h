#pragma once

#include "hostiledata.h"

#include <QByteArray>
#include <QString>
#include <QTimer>

#include <optional>
#include <random>

namespace kelvo::sim {

class SimController;

// How often each kind of chaos strikes: events per second, except files (the share of transfer
// answers and job lists that turn hostile).
struct SimChaosRates {
    double reports = 20;   // random and malformed reports, answer words unasked among them
    double drops = 0.05;   // every control connection aborted
    double stalls = 0.05;  // the controller freezes, for up to stallMs
    int stallMs = 2500;    // the longest stall (the shortest is half a second)
    double bytes = 0.1;    // writes go out one byte at a time, for one to three seconds
    double garbage = 0.5;  // bursts of garbage with false frame headers
    double files = 0.3;

    // "reports=20,drops=0.05,stall=4000,...": any of the names above (stallMs as "stall"), the
    // others as they stand. Empty on a name it does not know or a value out of range.
    static std::optional<SimChaosRates> parse(const QString& text);
};

// The chaos mode of the simulated controller: at random, on a seeded generator, it sends random
// and malformed reports of any command word, drops the connections, stalls, writes byte by byte
// and bursts garbage; the transfer port and the job lists ask strikesFiles() whether to answer with
// hostile names and sizes. A stall blocks the controller's thread, so SimHarness and console calls
// wait for it to end. Lives in the controller's thread.
class SimChaos {
public:
    explicit SimChaos(SimController& controller);
    ~SimChaos();
    SimChaos(const SimChaos&) = delete;
    SimChaos& operator=(const SimChaos&) = delete;

    void start(quint64 seed, const SimChaosRates& rates);
    void stop();

    // Whether this transfer answer or job list turns hostile; never while stopped.
    bool strikesFiles();
    // What a hostile answer is made of.
    HostileData& hostile() { return hostile_; }

    static constexpr int kTickMs = 50;

private:
    void tick();
    // Whether an event of this rate (per second) happens in this tick.
    bool happens(double perSecond);
    void stall();

    SimController& controller_;
    QTimer* ticker_;  // a child of the controller, so it lives in the controller's thread
    std::mt19937_64 random_;
    HostileData hostile_{random_};
    SimChaosRates rates_;
    bool active_ = false;
    qint64 byteWritesUntil_ = 0;
};

}  // namespace kelvo::sim
