#include "callclock.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

long long monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CallClock::CallClock(int hangMs) : hangMs_(hangMs), watchdog_([this] { watch(); }) {}

CallClock::~CallClock() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stop_.notify_all();
    watchdog_.join();
}

void CallClock::begin(const char* name) {
    startedMs_ = monotonicMs();
    current_ = name;
}

void CallClock::end(const char* name, int boundMs) {
    const long long took = monotonicMs() - startedMs_;
    current_ = nullptr;
    Figures& figures = figures_[name];
    ++figures.count;
    figures.maxMs = std::max(figures.maxMs, took);
    ++calls_;
    if (took > boundMs) {
        ++late_;
        std::fprintf(stderr, "LATE: %s took %lld ms (bound %d ms)\n", name, took, boundMs);
    }
}

void CallClock::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_.wait_for(lock, std::chrono::milliseconds(200), [this] { return stopping_; })) {
        const char* name = current_;
        const long long took = monotonicMs() - startedMs_;
        if (name && took > hangMs_) {
            std::fprintf(stderr, "HANG: %s has not returned after %lld ms\n", name, took);
            std::fflush(stderr);
            std::abort();
        }
    }
}

std::string CallClock::report() const {
    std::ostringstream text;
    for (const auto& [name, figures] : figures_)
        text << "  " << name << ": " << figures.count << " calls, longest " << figures.maxMs
             << " ms\n";
    return text.str();
}
