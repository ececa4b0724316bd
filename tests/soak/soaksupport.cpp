#include "soaksupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

long long monotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

unsigned seedFromEnvironment() {
    const char* text = std::getenv("KELVO_SOAK_SEED");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10))
                : static_cast<unsigned>(std::random_device()());
}

CallClock::CallClock(int slots, int slackMs, int hangMs)
    : slotCount_(slots),
      slackMs_(slackMs),
      hangMs_(hangMs),
      slots_(new Slot[static_cast<size_t>(slots)]),
      watchdog_([this] { watch(); }) {}

CallClock::~CallClock() {
    stopping_ = true;
    watchdog_.join();
}

void CallClock::record(const char* name, long long tookMs, int boundMs) {
    ++calls_;
    if (tookMs > boundMs + slackMs_) {
        ++late_;
        std::fprintf(stderr, "LATE: %s took %lld ms (bound %d ms)\n", name, tookMs, boundMs);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto& [count, longest] = figures_[name];
    ++count;
    longest = std::max(longest, tookMs);
}

void CallClock::watch() {
    while (!stopping_) {
        sleepMs(100);
        for (int i = 0; i < slotCount_; ++i) {
            const char* name = slots_[i].name;
            const long long took = monotonicMs() - slots_[i].since;
            if (name && took > hangMs_) {
                std::fprintf(stderr, "HANG: %s has not returned after %lld ms\n", name, took);
                std::fflush(stderr);
                std::abort();
            }
        }
    }
}

std::string CallClock::report() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::ostringstream text;
    for (const auto& [name, figures] : figures_)
        text << "  " << name << ": " << figures.first << " calls, longest " << figures.second
             << " ms\n";
    return text.str();
}
