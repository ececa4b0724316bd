#pragma once

#include <QLoggingCategory>

// The exported calls: refused arguments, unanswered queries ("kelvo.api").
Q_DECLARE_LOGGING_CATEGORY(lcApi)
