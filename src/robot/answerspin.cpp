#include "robot/answerspin.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds kSpinLimit{100};
constexpr int kEmptySpinsBeforeRest = 4;
constexpr int kQuestionsAtRest = 256;

const bool kCoreToSpare = std::thread::hardware_concurrency() > 1;
std::atomic<int> askers{0};
std::atomic<int> emptySpins{0};
std::atomic<int> questionsAtRest{0};

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

bool maySpin() {
    if (questionsAtRest.load(std::memory_order_relaxed) > 0) {
        questionsAtRest.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }
    return kCoreToSpare && askers.load(std::memory_order_relaxed) == 1;
}

void rest() {
    questionsAtRest.store(kQuestionsAtRest, std::memory_order_relaxed);
}

void tally(bool paid) {
    if (paid) {
        emptySpins.store(0, std::memory_order_relaxed);
    } else if (emptySpins.fetch_add(1, std::memory_order_relaxed) + 1 >= kEmptySpinsBeforeRest) {
        emptySpins.store(0, std::memory_order_relaxed);
        rest();
    }
}

}  // namespace

AnswerSpin::AnswerSpin() {
    if (askers.fetch_add(1, std::memory_order_relaxed) > 0)
        rest();
}

AnswerSpin::~AnswerSpin() {
    askers.fetch_sub(1, std::memory_order_relaxed);
}

bool AnswerSpin::until(const std::atomic<bool>& done, QDeadlineTimer deadline) const {
    if (!maySpin())
        return done.load(std::memory_order_acquire);
    const auto limit =
        Clock::now() + std::min<Clock::duration>(
                           kSpinLimit, std::chrono::nanoseconds(deadline.remainingTimeNSecs()));
    bool paid = done.load(std::memory_order_acquire);
    while (!paid && Clock::now() < limit) {
        relax();
        paid = done.load(std::memory_order_acquire);
    }
    tally(paid);
    return paid;
}
