// A fixture of the folder-cycle check: a -> b -> c -> a, d -> a one way.
#include "b/y.h"
