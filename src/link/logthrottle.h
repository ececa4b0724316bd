#pragma once

#include <QLoggingCategory>
#include <QString>

#include <chrono>
#include <utility>

namespace kelvo {

// Bounds a repeating debug line to ten a second, so that a peer that can trigger it at will cannot
// flood the host's log (Qt writes to stderr unless the host filters). Lines held back are counted
// and told in one summary line before the next line let through.
class LogThrottle {
public:
    // what names the line in the summary: "<what>: N more suppressed".
    explicit LogThrottle(QString what) : what_(std::move(what)) {}

    // True when the caller may write its line now; false while the category is off or the
    // second's share is used up.
    bool admit(const QLoggingCategory& category);

private:
    using Clock = std::chrono::steady_clock;
    static constexpr int kLinesPerSecond = 10;

    QString what_;
    Clock::time_point windowStart_{};
    int written_ = 0;
    qint64 suppressed_ = 0;
};

}  // namespace kelvo
