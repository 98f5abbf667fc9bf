#include "case/cLog.h"
