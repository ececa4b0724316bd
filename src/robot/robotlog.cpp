#include "robot/robotlog.h"

Q_LOGGING_CATEGORY(lcRobot, "kelvo.robot")
