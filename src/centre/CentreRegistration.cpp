#include "CentreRegistration.h"

#include "ReportFrm.h"
#include "services/UiPlatform.h"
#include "ui/WindowRegistry.h"

namespace tavi {

void registerCentreWindow()
{
    // The host's tool-bar flag selects nothing: the centre has one presentation.
    WindowRegistry::setCentre([](bool) {
        TfrmReport window;
        return UiPlatform::instance().execModal(window);
    });
}

}  // namespace tavi
