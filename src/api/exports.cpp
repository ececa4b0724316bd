#include "kelvo.h"
