// The driver library holds no code of its own: it gathers the object
// libraries of the driver's parts. Exports come from QN_EXPORT declarations.
#include "driver/wire/Export.h"
