#pragma once

#include <QLoggingCategory>

// The simulated controller's own traffic and faults ("kelvo.sim").
Q_DECLARE_LOGGING_CATEGORY(lcSim)
