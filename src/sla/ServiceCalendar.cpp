#include "sla/ServiceCalendar.h"
