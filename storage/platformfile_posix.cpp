#include "storage/platformfile.h"
