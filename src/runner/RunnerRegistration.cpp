#include "RunnerRegistration.h"

#include "ShowReportFrm.h"
#include "services/UiPlatform.h"
#include "ui/WindowRegistry.h"

namespace tavi {

void registerRunnerWindow()
{
    WindowRegistry::setRunner([](const RunnerRequest &request) {
        TfrmReportShow window;
        window.setReportId(request.reportId);
        window.setModeArg(request.modeArg);
        window.setPreFilter(request.preFilter);
        window.setTestMode(request.testMode);
        const int result = UiPlatform::instance().execModal(window);
        return RunnerOutcome{result, window.ResultText()};
    });
}

}  // namespace tavi
