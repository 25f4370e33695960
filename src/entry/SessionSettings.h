#pragma once

namespace tavi {

/// Reads the session values of a call: parameter table kind, caption word, business-day
/// settings and the column key.
void LoadSessionSettings();

}  // namespace tavi
