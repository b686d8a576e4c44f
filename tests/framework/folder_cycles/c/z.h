  #  include "a/x.h"
