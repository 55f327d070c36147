#include "device/dataserialport.h"
