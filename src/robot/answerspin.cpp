#include "robot/answerspin.h"

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::microseconds kSpinLimit{100};
constexpr int kEmptySpinsBeforeRest = 4;
constexpr int kQuestionsAtRest = 256;

std::atomic<int> askers{0};
std::atomic<int> emptySpins{0};
std::atomic<int> questionsAtRest{0};

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The cores this thread may run on: a host pinned to one core leaves none to the connection
// thread while it spins, and a spin there only delays the answer it waits for.
int coresOfThisThread() {
#ifdef __linux__
    cpu_set_t cores;
    if (::sched_getaffinity(0, sizeof(cores), &cores) == 0)
        return CPU_COUNT(&cores);
#endif
    return static_cast<int>(std::thread::hardware_concurrency());
}

bool coreToSpare() {
    thread_local const bool spare = coresOfThisThread() > 1;
    return spare;
}

bool maySpin() {
    if (questionsAtRest.load(std::memory_order_relaxed) > 0) {
        questionsAtRest.fetch_sub(1, std::memory_order_relaxed);
        return false;
    }
    return coreToSpare() && askers.load(std::memory_order_relaxed) == 1;
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
