// Entry points by which a host finds and creates the calculator control.
#include "CcvTallyCtrl.h"
#include "ControlExport.h"

GW_CONTROL_LIBRARY("cvTally.cvTallyCtrl.1", CcvTallyCtrl)
