#include "saver/surface.h"
