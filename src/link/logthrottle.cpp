#include "link/logthrottle.h"

namespace kelvo {

bool LogThrottle::admit(const QLoggingCategory& category) {
    if (!category.isDebugEnabled()) {
        return false;
    }
    const Clock::time_point now = Clock::now();
    if (now - windowStart_ >= std::chrono::seconds(1)) {
        if (suppressed_ > 0) {
            qCDebug(category).noquote().nospace()
                << what_ << ": " << suppressed_ << " more suppressed";
        }
        windowStart_ = now;
        written_ = 0;
        suppressed_ = 0;
    }
    if (written_ < kLinesPerSecond) {
        ++written_;
        return true;
    }
    ++suppressed_;
    return false;
}

}  // namespace kelvo
