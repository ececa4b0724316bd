#pragma once

#include "ctlcommands.h"
#include "ctlconsole.h"
#include "ctlshell.h"

#include <filesystem>
#include <functional>
#include <string>

// Job files: the kelvoctl commands upload and sync, and the demo's upload.
namespace kelvoctl {

// The folder that holds the kelvoctl program itself.
std::filesystem::path programFolder();

// The folder whose robotJob/R1 to R4 upload and sync use, given to the library. False, with the
// reason on the console, when it cannot be used (for instance, it does not exist).
bool useJobFolder(CtlSession& ctl, const std::string& folder);

Action upload(const Args& args);
Action sync(const Args& args);

// The demo's upload: its sample job files, installed with kelvoctl and made the job folder, go to
// kelvo-sim, whose job directory is simJobDir, and each is shown as it arrives there. explain
// writes a step's explanation.
bool demoUpload(CtlSession& ctl, CtlShell& shell, const std::string& simJobDir,
                const std::function<void(const char*)>& explain);

}  // namespace kelvoctl
