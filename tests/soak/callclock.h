#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// Times every call of the soak host against its bound. A watchdog ends the process with a
// message when one call runs far past its bound, so a hang fails the soak instead of stalling it.
class CallClock {
public:
    explicit CallClock(int hangMs);
    ~CallClock();
    CallClock(const CallClock&) = delete;
    CallClock& operator=(const CallClock&) = delete;

    // Runs call, named name, which must return within boundMs.
    template <typename Call>
    void time(const char* name, int boundMs, Call call) {
        begin(name);
        call();
        end(name, boundMs);
    }

    long long calls() const { return calls_; }
    // Calls that took longer than their bound.
    int lateCalls() const { return late_; }
    std::string report() const;

private:
    struct Figures {
        long long count = 0;
        long long maxMs = 0;
    };

    void begin(const char* name);
    void end(const char* name, int boundMs);
    void watch();

    const int hangMs_;
    std::atomic<const char*> current_{nullptr};
    std::atomic<long long> startedMs_{0};
    std::map<std::string, Figures> figures_;
    long long calls_ = 0;
    int late_ = 0;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    std::thread watchdog_;
};

long long monotonicMs();
