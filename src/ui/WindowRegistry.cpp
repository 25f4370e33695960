#include "WindowRegistry.h"

namespace tavi {

namespace {
struct Windows
{
    WindowRegistry::CentreWindow centre;
    WindowRegistry::RoomStateWindow roomState;
    WindowRegistry::RunnerWindow runner;
    WindowRegistry::WizardWindow wizard;
};

Windows &windows()
{
    static Windows w;
    return w;
}
}  // namespace

void WindowRegistry::setCentre(CentreWindow window)
{
    windows().centre = std::move(window);
}

void WindowRegistry::setRoomState(RoomStateWindow window)
{
    windows().roomState = std::move(window);
}

void WindowRegistry::setRunner(RunnerWindow window)
{
    windows().runner = std::move(window);
}

void WindowRegistry::setWizard(WizardWindow window)
{
    windows().wizard = std::move(window);
}

const WindowRegistry::WizardWindow &WindowRegistry::wizard()
{
    return windows().wizard;
}

const WindowRegistry::CentreWindow &WindowRegistry::centre()
{
    return windows().centre;
}

const WindowRegistry::RoomStateWindow &WindowRegistry::roomState()
{
    return windows().roomState;
}

const WindowRegistry::RunnerWindow &WindowRegistry::runner()
{
    return windows().runner;
}

}  // namespace tavi
