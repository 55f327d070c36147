#include "storage/loghelper.h"
