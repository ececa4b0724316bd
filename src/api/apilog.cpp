#include "apilog.h"

Q_LOGGING_CATEGORY(lcApi, "kelvo.api")
