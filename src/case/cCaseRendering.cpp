#include "case/cCase.h"
