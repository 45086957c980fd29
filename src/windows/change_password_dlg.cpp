#include "change_password_dlg.h"

#include "core/config/password_change.h"
#include "dialog_units.h"
#include "enter_escape_filter.h"
#include "latin1_validator.h"
#include "ui_change_password_dlg.h"

namespace fenwick {

CChangePasswordDlg::CChangePasswordDlg(PasswordChange& password, QWidget* parent)
    : QDialog(parent), password_(password), ui_(std::make_unique<Ui::CChangePasswordDlg>()),
      macText_(password.ChosenMacText()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    auto* latin1 = new Latin1Validator(this);
    for (QLineEdit* field : {ui_->originalPassword, ui_->newPassword, ui_->confirmPassword}) {
        field->setValidator(latin1);
    }
    connect(ui_->setButton, &QPushButton::clicked, this, &CChangePasswordDlg::OnSet);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    EnterEscapeFilter::Install(*this);
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
