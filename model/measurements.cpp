#include "model/measurements.h"
