#pragma once

#include "ctlcommands.h"

// kelvoctl trace: a dump of the library's flight recorder (kelvo_dump_trace, or the automatic
// dumps of KELVO_TRACE_DIR) printed for a person. It reads the file only.
namespace kelvoctl {

Action trace(const Args& args);

}  // namespace kelvoctl
