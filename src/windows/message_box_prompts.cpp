#include "message_box_prompts.h"

#include "owned_modal.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace fenwick {

namespace {

QMessageBox::Icon BoxIcon(UserPrompts::Icon icon) {
    switch (icon) {
    case UserPrompts::Icon::Information:
        return QMessageBox::Information;
    case UserPrompts::Icon::Warning:
        return QMessageBox::Warning;
    case UserPrompts::Icon::Error:
        return QMessageBox::Critical;
    case UserPrompts::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(UserPrompts::Buttons buttons) {
    switch (buttons) {
    case UserPrompts::Buttons::Ok:
        return QMessageBox::Ok;
    case UserPrompts::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case UserPrompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

// A box closed without a button (by the window frame) gives the answer that changes nothing.
UserPrompts::Answer ClosedAnswer(UserPrompts::Buttons buttons) {
    switch (buttons) {
    case UserPrompts::Buttons::Ok:
        return UserPrompts::Answer::Ok;
    case UserPrompts::Buttons::OkCancel:
        return UserPrompts::Answer::Cancel;
    case UserPrompts::Buttons::YesNo:
        return UserPrompts::Answer::No;
    }
    return UserPrompts::Answer::Cancel;
}

// Runs a file dialog that starts on `proposedName` in the current folder; the chosen path, or an
// empty text when cancelled.
QString RunFileDialog(QFileDialog& dialog, const QString& filter, const QString& proposedName) {
    dialog.setNameFilter(filter);
    dialog.selectFile(proposedName);
    if (RunOwnedModal(dialog) != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

} // namespace

QWidget* MessageBoxPrompts::CurrentOwner() const {
    // A dialog of the owner's that is open (its own check raised the box, typically) owns the
    // box: the box stands over it, and closing the box gives the focus back to it.
    QWidget* modal = QApplication::activeModalWidget();
    for (const QWidget* window = modal; window != nullptr && owner_ != nullptr;
         window = window->parentWidget()) {
        if (window == owner_) {
            return modal;
        }
    }
    return owner_.data();
}

class MessageBoxPrompts::RunningScope {
public:
    explicit RunningScope(MessageBoxPrompts& prompts) : prompts_(prompts) { ++prompts_.running_; }
    ~RunningScope() {
        if (--prompts_.running_ == 0) {
            emit prompts_.allReturned();
        }
    }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    MessageBoxPrompts& prompts_;
};

UserPrompts::Answer MessageBoxPrompts::MessageBox(const QString& text, const QString& caption,
                                                  Icon icon, Buttons buttons) {
    const RunningScope running(*this);
    QMessageBox box(BoxIcon(icon), caption, text, BoxButtons(buttons), CurrentOwner());
    // Texts come from files and datagrams too; they are shown as they stand, never as markup.
    box.setTextFormat(Qt::PlainText);
    switch (RunOwnedModal(box)) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return ClosedAnswer(buttons);
    }
}

QString MessageBoxPrompts::SaveFileName(const QString& filter, const QString& proposedName) {
    const RunningScope running(*this);
    QFileDialog dialog(CurrentOwner(), QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Overwriting an existing file is confirmed: QFileDialog asks unless told not to.
    return RunFileDialog(dialog, filter, proposedName);
}

QString MessageBoxPrompts::OpenFileName(const QString& filter, const QString& proposedName) {
    const RunningScope running(*this);
    QFileDialog dialog(CurrentOwner(), QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return RunFileDialog(dialog, filter, proposedName);
}

} // namespace fenwick
