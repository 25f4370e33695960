#include "EditorRegistration.h"

#include "FTFrm.h"
#include "ReportEditFrm.h"
#include "services/UiPlatform.h"
#include "ui/WindowRegistry.h"

namespace tavi {

void registerRecordEditor()
{
    RecordEditorSeam::setEditor([](const RecordEditorRequest &request) {
        TfrmReportEdit editor(request);
        const int result = UiPlatform::instance().execModal(editor);
        // However the dialog went away, an unsaved record must not stay half-entered.
        editor.discard();
        return result;
    });
}

void registerRoomStateWindow()
{
    WindowRegistry::setRoomState([] {
        TfrmFT window;
        return UiPlatform::instance().execModal(window);
    });
}

}  // namespace tavi
