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
};

/// The windows a call can show, registered by the window layers: each entry creates its window,
/// shows it modally, frees it and returns its modal result.
class WindowRegistry
{
public:
    using CentreWindow = std::function<int(bool toolbar)>;
    using RoomStateWindow = std::function<int()>;
    using RunnerWindow = std::function<RunnerOutcome(const RunnerRequest &)>;

    static void setCentre(CentreWindow window);
    static void setRoomState(RoomStateWindow window);
    static void setRunner(RunnerWindow window);

    static const CentreWindow &centre();
    static const RoomStateWindow &roomState();
    static const RunnerWindow &runner();
};

}  // namespace tavi
