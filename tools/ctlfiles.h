#pragma once

#include "ctlcommands.h"
#include "ctlconsole.h"
#include "ctlshell.h"

#include <functional>
#include <string>

// Job files: the kelvoctl commands upload and sync, and the demo's upload.
namespace kelvoctl {

Action upload(const Args& args);
Action sync(const Args& args);

// The demo's upload: its sample job files (samples/robotJob beside kelvoctl, placed in
// robotJob for the demo when that folder does not exist) go to kelvo-sim, whose job directory
// is simJobDir, and each is shown as it arrives there. explain writes a step's explanation.
bool demoUpload(CtlConsole& console, CtlShell& shell, const std::string& simJobDir,
                const std::function<void(const char*)>& explain);

}  // namespace kelvoctl
