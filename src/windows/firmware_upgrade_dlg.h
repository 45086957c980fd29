// "Firmware Upgrade": a window of its own, beside the main window, which stays fully usable. It
// shows the device being upgraded, takes the image and the password, and follows the trigger
// and the transfer that the core runs. While the core waits for the trigger's acknowledgement,
// and in the pause after the final block, the window takes no input.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CFirmwareUpgradeDlg;
}

namespace fenwick {

class ManagerCore;
class MessageBoxPrompts;

class CFirmwareUpgradeDlg final : public QDialog {
    Q_OBJECT

public:
    // `prompts`, when given, are the upgrade's boxes; they belong to this window while it is
    // open.
    explicit CFirmwareUpgradeDlg(ManagerCore& core, MessageBoxPrompts* prompts = nullptr);
    ~CFirmwareUpgradeDlg() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void OnStart();
    void OnBrowse();
    void OnCancel();
    void ShowProgress(quint32 sent, quint32 size);
    void IgnoreInput(bool ignore);

    ManagerCore& core_;
    std::unique_ptr<Ui::CFirmwareUpgradeDlg> ui_;
    bool ignoringInput_ = false;
};

} // namespace fenwick
