#include "notify/DueDateEntries.h"
