// UserPrompts over QMessageBox and QFileDialog: the same texts, captions and kinds of icon,
// owned by the main window. Their exec runs a nested event loop, so socket events go on
// arriving while a box or a file dialog is open.
#pragma once

#include "core/ports/user_prompts.h"

#include <QPointer>
#include <QWidget>

namespace fenwick {

class MessageBoxPrompts final : public UserPrompts {
public:
    // The window the boxes and dialogs belong to. It is set once the window exists, which is
    // after the core that uses these prompts; anything shown before then has no owner.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    Answer MessageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    QString SaveFileName(const QString& filter, const QString& proposedName) override;
    QString OpenFileName(const QString& filter, const QString& proposedName) override;

private:
    QPointer<QWidget> owner_;
};

} // namespace fenwick
