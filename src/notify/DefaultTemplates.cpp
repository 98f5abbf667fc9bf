#include "notify/DefaultTemplates.h"
