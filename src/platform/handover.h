#pragma once

#include <functional>

class QObject;

namespace kelvo::platform {

// Runs work in target's thread and returns once it has run there (at once when that is the
// calling thread); what work throws is rethrown here. A blocking queued call, but handed over
// and back through a standard mutex, so that ThreadSanitizer sees the order that Qt's own event
// queue gives, and does not report the work's reads of what the caller wrote before.
void runInThreadOf(QObject* target, const std::function<void()>& work);

}  // namespace kelvo::platform
