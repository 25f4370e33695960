// libtavireport.so: the entry layer and the windows it registers, exporting TaviReportPrint
// alone (see exports.map).
#include "centre/CentreRegistration.h"
#include "editor/EditorRegistration.h"
#include "entry/TaviReportPrint.h"
#include "runner/RunnerRegistration.h"

namespace {

// The windows are in place as soon as a host has loaded the library.
const bool windowsRegistered = [] {
    tavi::registerRunnerWindow();
    tavi::registerRecordEditor();
    tavi::registerCentreWindow();
    tavi::registerRoomStateWindow();
    return true;
}();

}  // namespace
