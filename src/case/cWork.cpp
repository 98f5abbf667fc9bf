#include "case/cWork.h"
