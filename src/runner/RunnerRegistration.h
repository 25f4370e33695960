#pragma once

namespace tavi {

/// Makes the runner window the one the entry point opens for a named report.
void registerRunnerWindow();

}  // namespace tavi
