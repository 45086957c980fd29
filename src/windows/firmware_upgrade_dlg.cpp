#include "firmware_upgrade_dlg.h"

#include "codec/device_record.h"
#include "codec/text_forms.h"
#include "core/app/latin1.h"
#include "core/app/manager_core.h"
#include "core/firmware/tftp_transfer.h"
#include "core/firmware/upgrade_start.h"
#include "dialog_units.h"
#include "enter_escape_filter.h"
#include "message_box_prompts.h"
#include "ui_firmware_upgrade_dlg.h"

#include <QCloseEvent>
#include <QFile>
#include <algorithm>

namespace fenwick {
namespace {

constexpr int kProgressSteps = 1000;

} // namespace

CFirmwareUpgradeDlg::CFirmwareUpgradeDlg(ManagerCore& core, MessageBoxPrompts* prompts)
    : QDialog(nullptr), core_(core), ui_(std::make_unique<Ui::CFirmwareUpgradeDlg>()) {
    ui_->setupUi(this);
    // A window of its own with a caption and a close box; no owner, so nothing blocks the main
    // window.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    if (prompts != nullptr) {
        prompts->SetOwner(this);
    }
    ui_->upgradeProgress->setRange(0, kProgressSteps);
    OnInitDialog();

    connect(ui_->startButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnStart);
    connect(ui_->browseButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnBrowse);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &CFirmwareUpgradeDlg::OnCancel);

    UpgradeStart& start = core_.Upgrade();
    TftpTransfer& transfer = core_.Tftp();
    connect(&start, &UpgradeStart::upgradeStateChanged, ui_->upgradeState, &QLineEdit::setText);
    connect(&transfer, &TftpTransfer::upgradeStateChanged, ui_->upgradeState, &QLineEdit::setText);
    connect(&start, &UpgradeStart::waitingChanged, this, &CFirmwareUpgradeDlg::IgnoreInput);
    connect(&transfer, &TftpTransfer::progressChanged, this, &CFirmwareUpgradeDlg::ShowProgress);
    connect(&transfer, &TftpTransfer::finalAcknowledged, this, [this] { IgnoreInput(true); });
    connect(&transfer, &TftpTransfer::transferEnded, this, [this] {
        IgnoreInput(false);
        accept();
    });
    EnterEscapeFilter::Install(*this);
    ui_->cancelButton->setFocus();
}

CFirmwareUpgradeDlg::~CFirmwareUpgradeDlg() = default;

void CFirmwareUpgradeDlg::OnInitDialog() {
    const ProgramState& state = core_.State();
    ui_->deviceIp->setText(Latin1(AddressText(state.Upgrade.UpgradeTargetIp)));
    ui_->deviceMac->setText(Latin1(FieldText(state.Reply.UpgradeTargetMac)));
    const std::string_view path = FieldText(state.Upgrade.FirmwarePath);
    ui_->firmwarePath->setText(
        QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
    core_.Tftp().ResetTransferState();
}

void CFirmwareUpgradeDlg::OnStart() {
    core_.Upgrade().OnStart(ui_->password->text(), ui_->firmwarePath->text());
}

void CFirmwareUpgradeDlg::OnBrowse() {
    ui_->firmwarePath->setText(core_.Upgrade().OnBrowse());
}

void CFirmwareUpgradeDlg::OnCancel() {
    close();
}

void CFirmwareUpgradeDlg::closeEvent(QCloseEvent* event) {
    if (ignoringInput_) {
        event->ignore();
        return;
    }
    core_.Tftp().Cancel();
    QDialog::closeEvent(event);
}

void CFirmwareUpgradeDlg::ShowProgress(quint32 sent, quint32 size) {
    // In thousandths, so that an image of any size fits the bar's int range.
    const quint64 done =
        size == 0 ? kProgressSteps : quint64{std::min(sent, size)} * kProgressSteps / size;
    ui_->upgradeProgress->setValue(static_cast<int>(done));
}

void CFirmwareUpgradeDlg::IgnoreInput(bool ignore) {
    ignoringInput_ = ignore;
    ui_->client->setEnabled(!ignore);
}

} // namespace fenwick
