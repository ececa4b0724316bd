#pragma once

#include <QLoggingCategory>

// The Robot object: its requests, state cache and report handlers ("kelvo.robot").
Q_DECLARE_LOGGING_CATEGORY(lcRobot)
