// "Web access" and the Monitor List double-click: open a monitored device's web interface in
// the desktop's browser.
#pragma once

#include "core/lists/main_lists.h"
#include "core/ports/launcher.h"
#include "core/ports/user_prompts.h"
#include "core/state/program_state.h"
#include "core/support/unstacked_boxes.h"

namespace fenwick {

class WebAccess {
public:
    // A browser that fails after its start is told through `boxes`, as any box that an event
    // raises.
    WebAccess(ProgramState& state, UserPrompts& prompts, UnstackedBoxes& boxes, MainLists lists,
              Launcher& launcher);

    // The button: refuses a selection in the Discovery List, writes SelectedIndex.
    void OpenWebAccess();
    // The double-click: looks at the Monitor List only and writes nothing.
    void MonitorDoubleClicked();

private:
    // The Monitor List part both paths share; `writeSelection` for the button.
    void OpenSelected(bool writeSelection);
    void ShowError(const QString& text);

    ProgramState& state_;
    UserPrompts& prompts_;
    UnstackedBoxes& boxes_;
    MainLists lists_;
    Launcher& launcher_;
};

} // namespace fenwick
