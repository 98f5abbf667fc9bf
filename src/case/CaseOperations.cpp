#include "case/CaseOperations.h"
