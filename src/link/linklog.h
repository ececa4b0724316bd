#pragma once

#include <QLoggingCategory>

// Frames, the connection thread and its supervision ("kelvo.link").
Q_DECLARE_LOGGING_CATEGORY(lcLink)
