// The published identifiers (library, interfaces, class), defined once from the generated header.
#include <initguid.h>

#include "control/com/selvane_h.h"
