#include "a/x.h"
#include "d/w.h"
