// A device file that reaches up into the desktop program: the check must refuse it.
#include "app/tform_main.h"
