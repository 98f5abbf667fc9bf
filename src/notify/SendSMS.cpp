#include "notify/SendSMS.h"
