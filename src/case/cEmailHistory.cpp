#include "case/cEmailHistory.h"
