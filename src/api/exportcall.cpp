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

void logCachedAnswer(const char* caller, int status, const KelvoSession& session) {
    if (status == KELVO_ERR_NOT_CONNECTED) {
        qCDebug(lcApi).nospace() << caller << ": link down, cached values returned";
    } else {
        qCDebug(lcApi).nospace() << caller << ": no answer within " << session.replyTimeoutMs()
                                 << " ms, cached values returned";
    }
}

}  // namespace kelvo::api
