// Port through which the core asks and tells the operator: modal message boxes and file
// dialogs. The window
// layer implements it with message boxes; tests record the boxes and answer from a script.
#pragma once

#include <QString>

namespace fenwick {

class UserPrompts {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~UserPrompts() = default;

    // Shows a modal box and returns the button the operator pressed. While it is open, events
    // (sockets, timers) go on being handled.
    virtual Answer MessageBox(const QString& text, const QString& caption, Icon icon,
                              Buttons buttons = Buttons::Ok) = 0;

    // Modal file dialogs with a filter such as "config File (*.cfg)" and a proposed file name.
    // Each returns the chosen path, or an empty text when the operator cancels. The save dialog
    // asks before an existing file is overwritten; the open dialog accepts existing files only.
    virtual QString SaveFileName(const QString& filter, const QString& proposedName) = 0;
    virtual QString OpenFileName(const QString& filter, const QString& proposedName) = 0;
};

} // namespace fenwick
