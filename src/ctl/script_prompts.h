// The boxes of the core, for a command run from a script: nobody is there to press a button,
// so a box never waits. Each is kept, in order, for the command to report and to read its
// outcome from; a question is answered with the choice that changes nothing.
#pragma once

#include "core/ports/user_prompts.h"

#include <QString>
#include <functional>
#include <vector>

namespace fenwick::ctl {

class ScriptPrompts final : public UserPrompts {
public:
    struct Box {
        QString text;
        QString caption;
        Icon icon = Icon::Information;
    };

    // OK for a box that only tells; Cancel or No for one that asks.
    Answer MessageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    // A command names its files on the command line; a dialog that asks for one is cancelled.
    QString SaveFileName(const QString& filter, const QString& proposedName) override;
    QString OpenFileName(const QString& filter, const QString& proposedName) override;

    // Told of each box as it is shown, after it is kept: a command reports it at once and may
    // end on it.
    void SetShownHandler(std::function<void(const Box&)> shown);

    const std::vector<Box>& Boxes() const { return boxes_; }

private:
    std::vector<Box> boxes_;
    std::function<void(const Box&)> shown_;
};

} // namespace fenwick::ctl
