#include "sla/ApplySLA.h"
