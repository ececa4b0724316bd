#include "message/messagelog.h"

Q_LOGGING_CATEGORY(lcMessage, "kelvo.message")
