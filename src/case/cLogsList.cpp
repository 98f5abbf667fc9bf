#include "case/cLogsList.h"
