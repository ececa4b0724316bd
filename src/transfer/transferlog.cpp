#include "transfer/transferlog.h"

Q_LOGGING_CATEGORY(lcTransfer, "kelvo.transfer")
