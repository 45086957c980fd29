// UserPrompts over QMessageBox and QFileDialog: the same texts, captions and kinds of icon,
// owned by one window and modal to it alone. Their exec runs a nested event loop, so socket
// events go on arriving while a box or a file dialog is open, and the owner must outlive every
// box it owns: Running() and allReturned() tell it when none is left on the stack.
#pragma once

#include "core/ports/user_prompts.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace fenwick {

class MessageBoxPrompts final : public QObject, public UserPrompts {
    Q_OBJECT

public:
    // The window the boxes and dialogs belong to, or the dialog of its own that it has open
    // when they are raised. It is set once the window exists, which is after the core that
    // uses these prompts; anything shown before then has no owner.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    Answer MessageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    QString SaveFileName(const QString& filter, const QString& proposedName) override;
    QString OpenFileName(const QString& filter, const QString& proposedName) override;

    // Boxes and file dialogs shown through these prompts that have not yet returned.
    int Running() const { return running_; }

signals:
    // The last box or dialog still running has returned to its caller.
    void allReturned();

private:
    // Counts one box or dialog from its opening until it returns.
    class RunningScope;

    // The owner, or its open modal dialog.
    QWidget* CurrentOwner() const;

    QPointer<QWidget> owner_;
    int running_ = 0;
};

} // namespace fenwick
