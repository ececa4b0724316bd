#include "simlog.h"

Q_LOGGING_CATEGORY(lcSim, "kelvo.sim")
