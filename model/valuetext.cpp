#include "model/valuetext.h"
