#include "storage/loadthread.h"
