// "Configuration setting": one device's addresses, names and the password that authorises
// the change. The dialog gathers the input; the core checks it and sends the set request.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CConfigurationSetDlg;
}

namespace fenwick {

class ConfigurationSet;

class CConfigurationSetDlg final : public QDialog {
    Q_OBJECT

public:
    // Opens on the device the core has chosen.
    explicit CConfigurationSetDlg(ConfigurationSet& configuration, QWidget* parent = nullptr);
    ~CConfigurationSetDlg() override;

private:
    // Fills the fields from the chosen device; the password stays empty.
    void OnInitDialog();
    // Closes after a send, whatever it gave; stays open with its contents after a failed check.
    void OnSet();

    ConfigurationSet& configuration_;
    std::unique_ptr<Ui::CConfigurationSetDlg> ui_;
};

} // namespace fenwick
