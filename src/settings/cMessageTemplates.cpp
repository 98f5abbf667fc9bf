#include "settings/cMessageTemplates.h"
