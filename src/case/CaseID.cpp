#include "case/CaseID.h"
