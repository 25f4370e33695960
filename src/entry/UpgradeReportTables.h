#pragma once

namespace tavi {

/// Creates the missing definition tables and adds missing columns, in the fixed order; a
/// failing statement is reported and the next step runs.
void UpgradeReportTables();

}  // namespace tavi
