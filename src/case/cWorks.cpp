#include "case/cWorks.h"
