#pragma once

namespace tavi {

/// Plugs the record editor into the runner's record-editor seam.
void registerRecordEditor();

}  // namespace tavi
