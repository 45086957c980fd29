#include "kestrel_dlg.h"

#include "about_dlg.h"
#include "add_remote_ip_dlg.h"
#include "change_password_dlg.h"
#include "configuration_set_dlg.h"
#include "core/app/manager_core.h"
#include "core/lists/list_texts.h"
#include "dialog_units.h"
#include "enter_escape_filter.h"
#include "firmware_upgrade_dlg.h"
#include "growing_layout.h"
#include "left_double_click_filter.h"
#include "owned_modal.h"
#include "pictures.h"
#include "report_list.h"
#include "status_image_delegate.h"
#include "trap_info_dlg.h"
#include "ui_kestrel_dlg.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <algorithm>

namespace fenwick {

CKestrelDlg::CKestrelDlg(ManagerCore& core, MessageBoxPrompts* upgradePrompts, QWidget* parent)
    : QDialog(parent), core_(core), upgradePrompts_(upgradePrompts),
      ui_(std::make_unique<Ui::CKestrelDlg>()) {
    ui_->setupUi(this);
    // A top-level window of its own, in the taskbar, that can be minimised, maximised and
    // resized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    ui_->windowLayout->setMenuBar(ui_->menuBar);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    // It opens at the size it was laid out for; the lists take whatever is added to that.
    growing_ =
        std::make_unique<GrowingLayout>(*ui_->client, *ui_->discoveryList, *ui_->monitorList);
    adjustSize();
    const QSize laid = size();
    ui_->client->setMinimumSize(growing_->Minimum());
    ui_->client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ui_->windowLayout->setSizeConstraint(QLayout::SetDefaultConstraint);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    ui_->client->installEventFilter(this);
    resize(laid);

    pictures::Show(*ui_->downArrow, pictures::kDownArrow);
    SetTrapIndicator(false);

    ShowAsReportList(*ui_->discoveryList, core_.DiscoveryList(), core_.DiscoverySelection());
    ShowAsReportList(*ui_->monitorList, core_.MonitorList(), core_.MonitorSelection());
    ui_->monitorList->setItemDelegateForColumn(
        0, new StatusImageDelegate(pictures::StatusImages(), ui_->monitorList));

    ConnectCommands();
    connect(&core_.Indicator(), &TrapIndicator::trapIndicatorChanged, this,
            &CKestrelDlg::SetTrapIndicator);
    EnterEscapeFilter::Install(*this);
}

CKestrelDlg::~CKestrelDlg() = default;

void CKestrelDlg::ConnectCommands() {
    const auto onClick = [this](QPushButton* button, void (CKestrelDlg::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    onClick(ui_->discoveryButton, &CKestrelDlg::OnDiscovery);
    onClick(ui_->addToMonitorListButton, &CKestrelDlg::OnAddToMonitorList);
    onClick(ui_->viewTrapButton, &CKestrelDlg::OnViewTrap);
    onClick(ui_->addItemButton, &CKestrelDlg::OnAddItem);
    onClick(ui_->deleteItemButton, &CKestrelDlg::OnDeleteItem);
    onClick(ui_->configurationSettingButton, &CKestrelDlg::OnConfigurationSetting);
    onClick(ui_->passwordChangeButton, &CKestrelDlg::OnPasswordChange);
    onClick(ui_->firmwareUpgradeButton, &CKestrelDlg::OnFirmwareUpgrade);
    onClick(ui_->webAccessButton, &CKestrelDlg::OnWebAccess);
    onClick(ui_->exitButton, &CKestrelDlg::OnExit);

    const auto onTrigger = [this](QAction* action, void (CKestrelDlg::*handler)()) {
        connect(action, &QAction::triggered, this, handler);
    };
    onTrigger(ui_->monitorSaveAction, &CKestrelDlg::OnMonitorSave);
    onTrigger(ui_->monitorSaveAsAction, &CKestrelDlg::OnMonitorSaveAs);
    onTrigger(ui_->monitorLoadAction, &CKestrelDlg::OnMonitorLoad);
    // Its mnemonic: Alt+F, E.
    ui_->exportListsAction->setText(QLatin1Char('&') + texts::kExportListsMenu);
    onTrigger(ui_->exportListsAction, &CKestrelDlg::OnExportLists);
    onTrigger(ui_->fileExitAction, &CKestrelDlg::OnFileExit);
    onTrigger(ui_->viewLogAction, &CKestrelDlg::OnViewLog);
    onTrigger(ui_->clearLogAction, &CKestrelDlg::OnClearLog);
    onTrigger(ui_->aboutAction, &CKestrelDlg::OnAbout);

    const std::pair<QAction*, int> refreshTimes[] = {
        {ui_->refresh15SecsAction, 15}, {ui_->refresh30SecsAction, 30},
        {ui_->refresh1MinAction, 60},   {ui_->refresh2MinsAction, 120},
        {ui_->refresh5MinsAction, 300},
    };
    for (const auto& [action, seconds] : refreshTimes) {
        connect(action, &QAction::triggered, this,
                [this, seconds = seconds] { OnRefreshTime(seconds); });
    }

    connect(ui_->discoveryList, &QTreeView::doubleClicked, this,
            &CKestrelDlg::OnDiscoveryListDoubleClick);
    // Only the left button opens the web page; blank space selects no device.
    connect(LeftDoubleClickFilter::Install(*ui_->monitorList),
            &LeftDoubleClickFilter::leftDoubleClicked, this,
            &CKestrelDlg::OnMonitorListDoubleClick);
    connect(ui_->discoveryList->header(), &QHeaderView::sectionClicked, this,
            &CKestrelDlg::OnDiscoveryColumnClick);
    connect(ui_->monitorList->header(), &QHeaderView::sectionClicked, this,
            &CKestrelDlg::OnMonitorColumnClick);
}

void CKestrelDlg::SetTrapIndicator(bool trapArrived) {
    // Every accepted trap reports red; drawing the picture again each time would cost a trap
    // storm dearly.
    if (trapIndicatorRed_ == trapArrived) {
        return;
    }
    trapIndicatorRed_ = trapArrived;
    pictures::Show(*ui_->TrapIndicator, trapArrived ? pictures::kRedDisc : pictures::kGreenDisc);
}

void CKestrelDlg::showEvent(QShowEvent* event) {
    // The window's initialisation runs before it first appears, as a dialog's does; showing it
    // again after minimising changes nothing.
    if (!initialised_ && !event->spontaneous()) {
        initialised_ = true;
        if (const QScreen* shownOn = screen(); shownOn != nullptr) {
            FitInto(shownOn->availableGeometry());
        }
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CKestrelDlg::FitInto(const QRect& available) {
    QMargins frame(geometry().left() - frameGeometry().left(),
                   geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom());
    const bool framed = !frame.isNull();
    if (!framed) {
        // Before the window manager has framed the window its frame is not known: a title bar
        // and thin borders are allowed for.
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) + 2;
        const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        frame = QMargins(border, titleBar + 2 * border, border, border);
    }
    const QSize fitted =
        size().boundedTo(available.marginsRemoved(frame).size()).expandedTo(minimumSize());
    if (fitted != size()) {
        resize(fitted);
    }
    QRect outer = QRect(geometry().topLeft(), fitted).marginsAdded(frame);
    outer.moveRight(std::min(outer.right(), available.right()));
    outer.moveBottom(std::min(outer.bottom(), available.bottom()));
    outer.moveLeft(std::max(outer.left(), available.left()));
    outer.moveTop(std::max(outer.top(), available.top()));
    // A framed window moves by its frame; one not yet framed by its client area.
    move(framed ? outer.topLeft() : outer.topLeft() + QPoint(frame.left(), frame.top()));
}

bool CKestrelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->client && event->type() == QEvent::Resize && growing_) {
        growing_->Place(static_cast<QResizeEvent*>(event)->size());
    }
    return QDialog::eventFilter(watched, event);
}

void CKestrelDlg::OnInitDialog() {
    setWindowIcon(pictures::ApplicationIcon());
    ui_->refresh15SecsAction->setChecked(true);
    core_.Initialise();
}

void CKestrelDlg::closeEvent(QCloseEvent* event) {
    // The window's close box and Alt+F4 end the program like "Exit" does.
    core_.Shutdown();
    QDialog::closeEvent(event);
}

void CKestrelDlg::OnDiscovery() {
    core_.Discovery();
}

void CKestrelDlg::OnExit() {
    core_.Shutdown();
    accept();
}

void CKestrelDlg::OnFileExit() {
    core_.Shutdown();
    reject();
}

void CKestrelDlg::OnAddToMonitorList() {
    core_.AddToMonitorList();
}

void CKestrelDlg::OnDiscoveryListDoubleClick() {
    core_.DiscoveryDoubleClicked();
}

void CKestrelDlg::OnDeleteItem() {
    core_.DeleteItem();
}

void CKestrelDlg::OnDiscoveryColumnClick(int column) {
    core_.SortDiscoveryList(column);
}

void CKestrelDlg::OnMonitorColumnClick(int column) {
    core_.SortMonitorList(column);
}

void CKestrelDlg::OnMonitorSave() {
    core_.MonitorSave();
}

void CKestrelDlg::OnMonitorSaveAs() {
    core_.MonitorSaveAs();
}

void CKestrelDlg::OnMonitorLoad() {
    core_.MonitorLoad();
}

void CKestrelDlg::OnExportLists() {
    core_.ExportLists();
}

void CKestrelDlg::OnAbout() {
    CAboutDlg about(this);
    RunOwnedModal(about);
}

void CKestrelDlg::OnViewTrap() {
    core_.ViewTrap();
    CTrapInfoDlg traps(core_.Traps(), this);
    RunOwnedModal(traps);
}

void CKestrelDlg::OnViewLog() {
    core_.ViewLog();
}

void CKestrelDlg::OnClearLog() {
    core_.ClearLog();
}

void CKestrelDlg::OnRefreshTime(int seconds) {
    core_.SetRefreshSeconds(seconds);
}

void CKestrelDlg::OnConfigurationSetting() {
    if (!core_.ChooseForConfiguration()) {
        return;
    }
    CConfigurationSetDlg dialog(core_.Configuration(), this);
    RunOwnedModal(dialog);
}

void CKestrelDlg::OnPasswordChange() {
    if (!core_.ChooseForPasswordChange()) {
        return;
    }
    CChangePasswordDlg dialog(core_.Password(), this);
    RunOwnedModal(dialog);
}

void CKestrelDlg::OnAddItem() {
    if (!core_.BeginAddItem()) {
        return;
    }
    CAddRemoteIpDlg dialog(core_.RemoteIp(), this);
    if (RunOwnedModal(dialog) == QDialog::Accepted) {
        core_.FinishAddItem();
    }
}

void CKestrelDlg::OnWebAccess() {
    core_.OpenWebAccess();
}

void CKestrelDlg::OnMonitorListDoubleClick(bool onRow) {
    if (!onRow) {
        core_.MonitorSelection().DeselectAll();
    }
    core_.MonitorDoubleClicked();
}

void CKestrelDlg::OnFirmwareUpgrade() {
    // A second window would share the one set of upgrade values and the transfer port: the
    // open one comes to the front instead.
    if (upgradeWindow_ && upgradeWindow_->isVisible()) {
        upgradeWindow_->showNormal();
        upgradeWindow_->raise();
        upgradeWindow_->activateWindow();
        return;
    }
    if (!core_.ChooseForUpgrade()) {
        return;
    }
    upgradeWindow_ = std::make_unique<CFirmwareUpgradeDlg>(core_.Upgrade(), upgradePrompts_);
    CFirmwareUpgradeDlg* opened = upgradeWindow_.get();
    // Released once its own handlers have returned.
    connect(
        opened, &QDialog::finished, this,
        [this, opened] {
            if (upgradeWindow_.get() == opened) {
                upgradeWindow_.reset();
            }
        },
        Qt::QueuedConnection);
    opened->show();
    opened->raise();
    opened->activateWindow();
}

} // namespace fenwick
