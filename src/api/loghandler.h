#pragma once

#include "kelvo.h"

namespace kelvo::api {

// Routes the messages of the library's logging categories (kelvo.*) at minLevel and above to
// handler; every other message, and all of them once handler is null, go where they went before.
void setLogHandler(KelvoLogHandler handler, void* user, int minLevel);

}  // namespace kelvo::api
