#include "storage/systemlogmanager.h"
