#pragma once

namespace tavi {

/// Plugs the record editor into the runner's record-editor seam.
void registerRecordEditor();
/// Makes the room-state view the window the entry point opens for "未来房态图".
void registerRoomStateWindow();

}  // namespace tavi
