#pragma once

#include "kelvo.h"

namespace kelvo::api {

// Routes the messages of the library's logging categories (kelvo.*) at minLevel and above to
// handler; every other message, and all of them once handler is null, go where they went before.
// From inside the handler the change applies from the next line on, without waiting.
void setLogHandler(KelvoLogHandler handler, void* user, int minLevel);
// True while the caller's thread runs the host's log handler: it may be a thread of the library,
// in the middle of the work the handler would call back into.
bool inLogHandler();

}  // namespace kelvo::api
