#include "device/realtimeframe.h"
