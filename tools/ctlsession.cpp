#include "ctlsession.h"

namespace kelvoctl {

int CtlSession::open(const std::string& ip) {
    close();
    int error = KELVO_OK;
    session_ = kelvo_open(ip.c_str(), kControlPort, kOpenTimeoutMs, &error);
    return session_ ? KELVO_OK : error;
}

void CtlSession::close() {
    kelvo_close(session_);
    session_ = nullptr;
}

bool CtlSession::succeeded(const char* name, int status) {
    if (status == KELVO_OK)
        return true;
    console_.error(failure(name, status));
    return false;
}

std::string failure(const char* name, int status) {
    return std::string(name) + ": " + kelvo_strerror(status);
}

}  // namespace kelvoctl
