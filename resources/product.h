// The product's names, shared by the resource script (version record) and
// the code (the entry in the system's list of installed programs). Plain
// defines so that the resource compiler reads them too.
#pragma once

#define PRODUCT_PUBLISHER "Ravenlook Team"
#define PRODUCT_DISPLAY_NAME "Ravenlook 1.3"
#define PRODUCT_DISPLAY_VERSION "1.3"
