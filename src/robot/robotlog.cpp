#include "robot/robotlog.h"

Q_LOGGING_CATEGORY(lcRobot, "kelvo.robot")
Q_LOGGING_CATEGORY(lcHostLog, "kelvo.log")
