#pragma once

#include <functional>

namespace kelvo::platform {

// Runs `create` in the thread that is to own the library's Qt objects, and returns once it has run.
//
// With a QCoreApplication in the process (a Qt host, or the attach step on Windows) that is the
// calling thread: the host's event loop delivers the library's queued reports there. Without one,
// the library starts an event thread of its own that creates the application object and runs its
// loop, so reports and transfers progress while the host does anything or nothing.
//
// At process exit `teardown` runs in that same thread, and the library's own thread, if any, is
// stopped and joined. Both happen from an atexit handler registered here, which runs before Qt's
// own statics are destroyed; a static destructor would run too late. A host's own application
// object that is destroyed before that runs `teardown` first, from its destructor, while Qt can
// still clean up the library's objects.
//
// Meant to be called once; later calls run `create` in the same owner thread and replace nothing.
void runInOwnerThread(const std::function<void()>& create, std::function<void()> teardown);

// Qt's network module makes some of its statics at a link's first connect attempt, after the exit
// handler was registered; at exit they would be destroyed before it runs, while a link thread
// that is reconnecting still uses them. Called once a link has tried, this registers the handler
// again, to run before them. Only the first call does anything.
void renewExitHandler();

}  // namespace kelvo::platform
