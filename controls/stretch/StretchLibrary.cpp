// The entry points through which hosts create the stretch container by class identifier.
#include "CcvStretchCtrl.h"
#include "ControlExport.h"

GW_CONTROL_LIBRARY(CcvStretchCtrl::kClassId, CcvStretchCtrl)
