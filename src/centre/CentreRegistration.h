#pragma once

namespace tavi {

/// Makes the report centre the window the entry point opens when no report is named.
void registerCentreWindow();

}  // namespace tavi
