// libtavireport.so: the entry layer and the windows it registers, exporting TaviReportPrint
// alone (see exports.map).
#include "entry/TaviReportPrint.h"

// The entry point lives in a static library; taking its address makes the linker keep it.
[[maybe_unused]] static const auto kEntryPoint = &TaviReportPrint;
