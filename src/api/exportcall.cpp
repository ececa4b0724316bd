#include "exportcall.h"

#include "apilog.h"

namespace kelvo::api {

void reportEscapedException(const char* caller, const char* what) noexcept {
    try {
        qCWarning(lcApi).nospace() << caller << ": failed: " << (what ? what : "unknown error");
    } catch (...) {
        // Nothing more can be done without risking the host.
    }
}

}  // namespace kelvo::api
