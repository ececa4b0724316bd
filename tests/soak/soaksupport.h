#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

long long monotonicMs();
void sleepMs(int ms);
void writeFile(const std::filesystem::path& path, const std::string& text);
// KELVO_SOAK_SEED repeats a run whose seed a failure printed; otherwise a new one.
unsigned seedFromEnvironment();

// Times every call of a host, one slot per calling thread, against its bound plus a slack for a
// loaded machine. A watchdog ends the process with a message when a call has not returned after
// hangMs, so a hang fails the run instead of stalling it.
class CallClock {
public:
    CallClock(int slots, int slackMs, int hangMs);
    ~CallClock();
    CallClock(const CallClock&) = delete;
    CallClock& operator=(const CallClock&) = delete;

    template <typename Call>
    void time(int slot, const char* name, int boundMs, Call call) {
        Slot& s = slots_[slot];
        s.since = monotonicMs();
        s.name = name;
        call();
        s.name = nullptr;
        record(name, monotonicMs() - s.since, boundMs);
    }
    // A call timed by its caller.
    void record(const char* name, long long tookMs, int boundMs);

    long long count() const { return calls_; }
    int lateCalls() const { return late_; }
    // Calls made and the longest, by name.
    std::string report();

private:
    struct Slot {
        std::atomic<const char*> name{nullptr};
        std::atomic<long long> since{0};
    };
    void watch();

    const int slotCount_;
    const int slackMs_;
    const int hangMs_;
    std::unique_ptr<Slot[]> slots_;
    std::atomic<long long> calls_{0};
    std::atomic<int> late_{0};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::map<std::string, std::pair<long long, long long>> figures_;  // count, longest
    std::thread watchdog_;
};
