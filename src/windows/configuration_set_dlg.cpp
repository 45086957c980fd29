#include "configuration_set_dlg.h"

#include "core/config/configuration_set.h"
#include "dialog_units.h"
#include "enter_escape_filter.h"
#include "latin1_validator.h"
#include "ui_configuration_set_dlg.h"

namespace fenwick {

CConfigurationSetDlg::CConfigurationSetDlg(ConfigurationSet& configuration, QWidget* parent)
    : QDialog(parent), configuration_(configuration),
      ui_(std::make_unique<Ui::CConfigurationSetDlg>()) {
    ui_->setupUi(this);
    // A fixed frame with a caption and a close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    DialogUnits(QFontMetrics(font(), this)).Lay(*ui_->client);
    ui_->ipAddress->SetLabel(QStringLiteral("IP Address"));
    ui_->subnetMask->SetLabel(QStringLiteral("Subnet mask"));
    ui_->gateway->SetLabel(QStringLiteral("Gateway"));
    ui_->setTrapTo->SetLabel(QStringLiteral("Set trap to"));
    auto* latin1 = new Latin1Validator(this);
    for (QLineEdit* field : {ui_->systemName, ui_->location, ui_->password}) {
        field->setValidator(latin1);
    }
    OnInitDialog();

    connect(ui_->setButton, &QPushButton::clicked, this, &CConfigurationSetDlg::OnSet);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    EnterEscapeFilter::Install(*this);
    ui_->ipAddress->setFocus();
}

CConfigurationSetDlg::~CConfigurationSetDlg() = default;

void CConfigurationSetDlg::OnInitDialog() {
    const ConfigurationInput values = configuration_.Values();
    ui_->productName->setText(values.productName);
    ui_->macAddress->setText(values.macText);
    ui_->ipAddress->SetAddress(values.ipAddress);
    ui_->subnetMask->SetAddress(values.subnetMask);
    ui_->gateway->SetAddress(values.gateway);
    ui_->setTrapTo->SetAddress(values.trapIp);
    ui_->systemName->setText(values.systemName);
    ui_->location->setText(values.location);
}

void CConfigurationSetDlg::OnSet() {
    ConfigurationInput input;
    input.productName = ui_->productName->text();
    input.macText = ui_->macAddress->text();
    input.ipAddress = ui_->ipAddress->Address();
    input.subnetMask = ui_->subnetMask->Address();
    input.gateway = ui_->gateway->Address();
    input.trapIp = ui_->setTrapTo->Address();
    input.systemName = ui_->systemName->text();
    input.location = ui_->location->text();
    input.password = ui_->password->text();
    if (configuration_.SetConfiguration(input) != SetOutcome::CheckFailed) {
        accept();
    }
}

} // namespace fenwick
