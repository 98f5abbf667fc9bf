#include "intake/cMonitoredFolderData.h"
