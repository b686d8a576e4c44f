#include "c/z.h"
#include "unknown/folder.h"
