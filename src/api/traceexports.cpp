// The flight recorder: the last frames and link events of a session.

#include "exportcall.h"
#include "kelvo.h"

using namespace kelvo::api;

namespace {

int setTraceSize(KelvoSession& session, int frames) {
    return session.setTraceSize(frames);
}

int dumpTrace(KelvoSession& session, const char* path) {
    return path ? session.dumpTrace(QString::fromUtf8(path)) : KELVO_ERR_INVALID;
}

}  // namespace

KELVO_API int KELVO_CALL kelvo_set_trace_size(KelvoSession* session, int frames) {
    return sessionCall("kelvo_set_trace_size", session, setTraceSize, frames);
}

KELVO_API int KELVO_CALL kelvo_dump_trace(KelvoSession* session, const char* path) {
    return sessionCall("kelvo_dump_trace", session, dumpTrace, path);
}
