#include "firmware_upgrade_dlg.h"

#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"
#include "core/support/latin1.h"
#include "dialog_units.h"
#include "enter_escape_filter.h"
#include "message_box_prompts.h"
#include "ui_firmware_upgrade_dlg.h"

#include <QCloseEvent>
#include <algorithm>

namespace fenwick {
namespace {

constexpr int kProgressSteps = 1000;

} // namespace

CFirmwareUpgradeDlg::CFirmwareUpgradeDlg(UpgradeStart& start, MessageBoxPrompts* prompts)
    : QDialog(nullptr), start_(start), prompts_(prompts),
      ui_(std::make_unique<Ui::CFirmwareUpgradeDlg>()) {
    ui_->setupUi(this);
    // A window of its own with a caption and a close box; no owner, so nothing blocks the main
    // window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    if (prompts_ != nullptr) {
        prompts_->SetOwner(this);
        connect(prompts_, &MessageBoxPrompts::allReturned, this, [this] {
            if (closePending_) {
                CloseWhenFree();
            }
        });
    }
    // Thousandths, shown as a percentage, so that an image of any size fits the bar's range.
    ui_->upgradeProgress->setRange(0, kProgressSteps);
    ui_->upgradeProgress->setFormat(QStringLiteral("%p%"));
    ui_->upgradeProgress->setTextVisible(true);
    refresh_.setInterval(1000 / kRefreshesPerSecond);
    connect(&refresh_, &QTimer::timeout, this, &CFirmwareUpgradeDlg::ShowLatest);
    OnInitDialog();

    connect(ui_->startButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnStart);
    connect(ui_->browseButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnBrowse);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnCancel);

    TftpTransfer& transfer = start_.Transfer();
    connect(&start, &UpgradeStart::upgradeStateChanged, this,
            &CFirmwareUpgradeDlg::ShowUpgradeState);
    connect(&transfer, &TftpTransfer::upgradeStateChanged, this,
            &CFirmwareUpgradeDlg::ShowUpgradeState);
    connect(&start, &UpgradeStart::waitingChanged, this, &CFirmwareUpgradeDlg::IgnoreInput);
    connect(&start, &UpgradeStart::waitingChanged, this, &CFirmwareUpgradeDlg::ShowBusy);
    connect(&transfer, &TftpTransfer::runningChanged, this, &CFirmwareUpgradeDlg::ShowBusy);
    connect(&transfer, &TftpTransfer::progressChanged, this, &CFirmwareUpgradeDlg::ShowProgress);
    connect(&transfer, &TftpTransfer::finalAcknowledged, this, [this] { IgnoreInput(true); });
    connect(&transfer, &TftpTransfer::transferEnded, this, [this] {
        IgnoreInput(false);
        CloseWhenFree();
    });
    EnterEscapeFilter::Install(*this);
    ui_->cancelButton->setFocus();
}

CFirmwareUpgradeDlg::~CFirmwareUpgradeDlg() = default;

void CFirmwareUpgradeDlg::OnInitDialog() {
    ui_->deviceIp->setText(start_.TargetIpText());
    ui_->deviceMac->setText(start_.TargetMacText());
    ui_->firmwarePath->setText(start_.PathInUse());
    start_.Transfer().ResetTransferState();
    ShowBusy();
}

void CFirmwareUpgradeDlg::OnStart() {
    start_.OnStart(ui_->password->text(), ui_->firmwarePath->text());
}

void CFirmwareUpgradeDlg::OnBrowse() {
    ui_->firmwarePath->setText(start_.OnBrowse());
}

void CFirmwareUpgradeDlg::OnCancel() {
    close();
}

void CFirmwareUpgradeDlg::closeEvent(QCloseEvent* event) {
    if (ignoringInput_) {
        event->ignore();
        return;
    }
    start_.Transfer().Cancel();
    QDialog::closeEvent(event);
}

void CFirmwareUpgradeDlg::ShowUpgradeState(const QString& text) {
    latestState_ = text;
    RefreshSoon();
}

void CFirmwareUpgradeDlg::ShowProgress(quint32 sent, quint32 size) {
    const quint64 done =
        size == 0 ? kProgressSteps : quint64{std::min(sent, size)} * kProgressSteps / size;
    latestProgress_ = static_cast<int>(done);
    RefreshSoon();
}

void CFirmwareUpgradeDlg::RefreshSoon() {
    latestShown_ = false;
    if (!refresh_.isActive()) {
        ShowLatest(); // the first change of a burst at once, the rest at the next refresh
        refresh_.start();
    }
}

void CFirmwareUpgradeDlg::ShowLatest() {
    if (latestShown_) {
        refresh_.stop(); // nothing new since the last refresh: rest until the next change
        return;
    }
    latestShown_ = true;
    if (ui_->upgradeState->text() != latestState_) {
        ui_->upgradeState->setText(latestState_);
    }
    ui_->upgradeProgress->setValue(latestProgress_);
}

void CFirmwareUpgradeDlg::IgnoreInput(bool ignore) {
    ignoringInput_ = ignore;
    ui_->client->setEnabled(!ignore);
}

void CFirmwareUpgradeDlg::ShowBusy() {
    // The image is fixed from "Start" until the transfer ends; one attempt at a time.
    const bool busy = start_.Busy();
    ui_->startButton->setEnabled(!busy);
    ui_->browseButton->setEnabled(!busy);
    ui_->firmwarePath->setEnabled(!busy);
}

void CFirmwareUpgradeDlg::CloseWhenFree() {
    if (prompts_ != nullptr && prompts_->Running() > 0) {
        closePending_ = true;
        return;
    }
    closePending_ = false;
    ShowLatest();
    accept();
}

} // namespace fenwick
