#include "device/storedpackage.h"
