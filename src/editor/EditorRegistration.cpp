#include "EditorRegistration.h"

#include "FTFrm.h"
#include "services/UiPlatform.h"
#include "ui/WindowRegistry.h"

namespace tavi {

void registerRoomStateWindow()
{
    WindowRegistry::setRoomState([] {
        TfrmFT window;
        return UiPlatform::instance().execModal(window);
    });
}

}  // namespace tavi
