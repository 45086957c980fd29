#include "add_remote_ip_dlg.h"

#include "core/config/remote_addition.h"
#include "dialog_units.h"
#include "ui_add_remote_ip_dlg.h"

namespace fenwick {

CAddRemoteIpDlg::CAddRemoteIpDlg(RemoteAddition& remoteIp, QWidget* parent)
    : QDialog(parent), remoteIp_(remoteIp), ui_(std::make_unique<Ui::CAddRemoteIpDlg>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    ui_->ipAddress->SetLabel(QStringLiteral("IP Address"));
    connect(ui_->applyButton, &QPushButton::clicked, this, &CAddRemoteIpDlg::OnOK);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ui_->ipAddress->setFocus();
}

CAddRemoteIpDlg::~CAddRemoteIpDlg() = default;

void CAddRemoteIpDlg::OnOK() {
    if (remoteIp_.ApplyRemoteIp(ui_->ipAddress->Address())) {
        accept();
    }
}

} // namespace fenwick
