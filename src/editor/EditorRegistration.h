#pragma once

namespace tavi {

/// Makes the room-state view the window the entry point opens for "未来房态图".
void registerRoomStateWindow();

}  // namespace tavi
