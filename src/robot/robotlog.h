#pragma once

#include <QLoggingCategory>

// The Robot object: its requests, state cache and report handlers ("kelvo.robot").
Q_DECLARE_LOGGING_CATEGORY(lcRobot)

// Texts the host passes to the library's log call, and the controller's alarm texts ("kelvo.log").
Q_DECLARE_LOGGING_CATEGORY(lcHostLog)
