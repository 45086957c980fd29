// The main window: the Discovery List above, the Monitor List below, the buttons that act on
// them, the device-setting buttons and the menu bar. It shows the core's lists and forwards
// every command to the core; the behaviour lives there.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
class CKestrelDlg;
}

namespace fenwick {

class CFirmwareUpgradeDlg;
class GrowingLayout;
class ManagerCore;
class MessageBoxPrompts;

class CKestrelDlg : public QDialog {
    Q_OBJECT

public:
    // `upgradePrompts`, when given, are the boxes the upgrade window owns while it is open.
    explicit CKestrelDlg(ManagerCore& core, MessageBoxPrompts* upgradePrompts = nullptr,
                         QWidget* parent = nullptr);
    ~CKestrelDlg() override;

    // Shrinks the window, no further than its smallest size, and moves it so that it and its
    // frame fit `available` (a screen's free area). It opens at its laid-out size otherwise.
    void FitInto(const QRect& available);

    // TrapIndicator: red once a trap from a monitored device has arrived, green again after
    // the traps have been viewed.
    void SetTrapIndicator(bool trapArrived);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

protected slots:
    // Command handlers, one per button, menu item and list notification. They are virtual so
    // that a test can see which handler a control reaches without running it.
    virtual void OnDiscovery();
    virtual void OnAddToMonitorList();
    virtual void OnViewTrap();
    virtual void OnAddItem();
    virtual void OnDeleteItem();
    virtual void OnConfigurationSetting();
    virtual void OnPasswordChange();
    virtual void OnFirmwareUpgrade();
    virtual void OnWebAccess();
    virtual void OnExit();
    virtual void OnMonitorSave();
    virtual void OnMonitorSaveAs();
    virtual void OnMonitorLoad();
    virtual void OnExportLists();
    virtual void OnFileExit();
    virtual void OnViewLog();
    virtual void OnClearLog();
    virtual void OnRefreshTime(int seconds);
    virtual void OnAbout();
    virtual void OnDiscoveryListDoubleClick();
    // A left-button double-click, on a row or on blank space (`onRow` false).
    virtual void OnMonitorListDoubleClick(bool onRow);
    virtual void OnDiscoveryColumnClick(int column);
    virtual void OnMonitorColumnClick(int column);

private:
    // Runs once, when the window is first shown: icons, menu check mark, then the core's
    // start-up (definition file, tables, sockets, pending values).
    void OnInitDialog();
    void ConnectCommands();

    ManagerCore& core_;
    MessageBoxPrompts* upgradePrompts_;
    std::unique_ptr<Ui::CKestrelDlg> ui_;
    std::unique_ptr<GrowingLayout> growing_; // the controls at any size of the window
    // The upgrade window while it is open: at most one, as there is one transfer port.
    std::unique_ptr<CFirmwareUpgradeDlg> upgradeWindow_;
    bool initialised_ = false;
    std::optional<bool> trapIndicatorRed_; // what the TrapIndicator shows; nothing before the first
};

} // namespace fenwick
