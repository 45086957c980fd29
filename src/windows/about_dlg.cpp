#include "about_dlg.h"

#include "dialog_setup.h"
#include "fenwick_version.h"
#include "pictures.h"
#include "ui_about_dlg.h"

namespace fenwick {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::CAboutDlg>()) {
    ui_->setupUi(this);
    ui_->programVersion->setText(QStringLiteral("Fenwick Version " FENWICK_VERSION));
    SetUpDialog(*this, *ui_->client, DialogFrame::Fixed, DialogKeys::Standard);
    // An icon control takes the icon's own size.
    ui_->applicationIcon->resize(32, 32);
    pictures::Show(*ui_->applicationIcon, pictures::kApplication);
    setWindowIcon(pictures::ApplicationIcon());
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

} // namespace fenwick
