#include "wizard/NewReportFrm.h"
