#pragma once

#include <QString>
#include <functional>

namespace tavi {

/// How the runner window ended.
struct RunnerOutcome
{
    /// The dialog's modal result (1 = OK).
    int modalResult = 0;
    /// The chosen id or ticked ids of an information-selection report.
    QString resultText;
};

/// What the runner window is given when a host opens a report.
struct RunnerRequest
{
    int reportId = 0;
    QString modeArg;
    QString preFilter;
    /// Shows the statement each run executes (the centre's "测试报表").
    bool testMode = false;
};

/// What the definition wizard is given: a new report in a category, or a report to change.
struct WizardRequest
{
    /// 0 for a new report.
    int reportId = 0;
    /// A new report's category, named by the caption of the centre's tab.
    QString categoryName;
};

/// The windows a call can show, registered by the window layers: each entry creates its window,
/// shows it modally, frees it and returns its modal result.
class WindowRegistry
{
public:
    using CentreWindow = std::function<int(bool toolbar)>;
    using RoomStateWindow = std::function<int()>;
    using RunnerWindow = std::function<RunnerOutcome(const RunnerRequest &)>;
    /// Returns the wizard's modal result (1 = saved).
    using WizardWindow = std::function<int(const WizardRequest &)>;

    static void setCentre(CentreWindow window);
    static void setRoomState(RoomStateWindow window);
    static void setRunner(RunnerWindow window);
    static void setWizard(WizardWindow window);

    static const CentreWindow &centre();
    static const RoomStateWindow &roomState();
    static const RunnerWindow &runner();
    static const WizardWindow &wizard();
};

}  // namespace tavi
