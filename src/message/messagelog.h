#pragma once

#include <QLoggingCategory>

// The message layer: dispatch of received frames and the request slots ("kelvo.message").
Q_DECLARE_LOGGING_CATEGORY(lcMessage)
