// libtavireport.so: the entry layer and the windows it registers, exporting TaviReportPrint
// alone (see exports.map).
#include "entry/TaviReportPrint.h"
