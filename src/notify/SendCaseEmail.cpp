#include "notify/SendCaseEmail.h"
