// "Password change": the original password, the new one and its confirmation. The core checks
// them and sends the request with the device's current settings.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CChangePasswordDlg;
}

namespace fenwick {

class PasswordChange;

class CChangePasswordDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CChangePasswordDlg(PasswordChange& password, QWidget* parent = nullptr);
    ~CChangePasswordDlg() override;

private:
    // Closes after a send, whatever it gave; stays open with its contents after a failed check.
    void OnSet();

    PasswordChange& password_;
    std::unique_ptr<Ui::CChangePasswordDlg> ui_;
    // The device the dialog opened for: "Set" finds it again by this, whatever the lists
    // became meanwhile.
    QString macText_;
};

} // namespace fenwick
