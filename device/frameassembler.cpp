#include "device/frameassembler.h"
