// "Firmware Upgrade": a window of its own, beside the main window, which stays fully usable. It
// shows the device being upgraded, takes the image and the password, and follows the trigger
// and the transfer that the core runs. While the core waits for the trigger's acknowledgement,
// and in the pause after the final block, the window takes no input; while the wait or a
// transfer runs, the image cannot be changed and "Start" is not offered.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>

namespace Ui {
class CFirmwareUpgradeDlg;
}

namespace fenwick {

class UpgradeStart;
class MessageBoxPrompts;

class CFirmwareUpgradeDlg final : public QDialog {
    Q_OBJECT

public:
    // At most this many times a second the window shows the transfer's latest state: a repaint
    // (and an accessibility event) per 512-byte block would slow the transfer itself.
    static constexpr int kRefreshesPerSecond = 20;

    // The window drives `start` and follows the transfer it hands over to. `prompts`, when given,
    // are the upgrade's boxes; they belong to this window while it is open, and the window closes
    // only once none of them is still running.
    explicit CFirmwareUpgradeDlg(UpgradeStart& start, MessageBoxPrompts* prompts = nullptr);
    ~CFirmwareUpgradeDlg() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void OnStart();
    void OnBrowse();
    void OnCancel();
    void ShowUpgradeState(const QString& text);
    void ShowProgress(quint32 sent, quint32 size);
    // Shows what the transfer last reported now, or at the next refresh when one was just shown.
    void RefreshSoon();
    void ShowLatest();
    void IgnoreInput(bool ignore);
    void ShowBusy();
    // The transfer has ended for good: the window goes, once no box or dialog of its own is
    // still running (it owns them, and their callers still stand on the stack).
    void CloseWhenFree();

    UpgradeStart& start_;
    MessageBoxPrompts* prompts_;
    std::unique_ptr<Ui::CFirmwareUpgradeDlg> ui_;
    bool ignoringInput_ = false;
    bool closePending_ = false;
    // What the transfer last reported, shown at the next refresh.
    QString latestState_;
    int latestProgress_ = 0;
    bool latestShown_ = true;
    QTimer refresh_;
};

} // namespace fenwick
