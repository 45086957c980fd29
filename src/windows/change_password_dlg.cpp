#include "change_password_dlg.h"

#include "core/config/password_change.h"
#include "dialog_setup.h"
#include "latin1_validator.h"
#include "ui_change_password_dlg.h"

namespace fenwick {

CChangePasswordDlg::CChangePasswordDlg(PasswordChange& password, QWidget* parent)
    : QDialog(parent), password_(password), ui_(std::make_unique<Ui::CChangePasswordDlg>()),
      macText_(password.ChosenMacText()) {
    ui_->setupUi(this);
    SetUpDialog(*this, *ui_->client, DialogFrame::Fixed, DialogKeys::Ignored);
    auto* latin1 = new Latin1Validator(this);
    for (QLineEdit* field : {ui_->originalPassword, ui_->newPassword, ui_->confirmPassword}) {
        field->setValidator(latin1);
    }
    connect(ui_->setButton, &QPushButton::clicked, this, &CChangePasswordDlg::OnSet);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    // First in the tab order, although it stands on the second row.
    ui_->originalPassword->setFocus();
}

CChangePasswordDlg::~CChangePasswordDlg() = default;

void CChangePasswordDlg::OnSet() {
    if (password_.ChangePassword(macText_, ui_->originalPassword->text(), ui_->newPassword->text(),
                                 ui_->confirmPassword->text()) != SetOutcome::CheckFailed) {
        accept();
    }
}

} // namespace fenwick
