#include "intake/ReplyThreading.h"
