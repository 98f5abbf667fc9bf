#include "case/CaseNumbering.h"
