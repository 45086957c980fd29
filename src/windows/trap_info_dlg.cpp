#include "trap_info_dlg.h"

#include "core/monitor/trap_list.h"
#include "dialog_setup.h"
#include "pictures.h"
#include "report_list.h"
#include "status_image_delegate.h"
#include "ui_trap_info_dlg.h"

#include <QHeaderView>

namespace fenwick {

CTrapInfoDlg::CTrapInfoDlg(TrapList& traps, QWidget* parent)
    : QDialog(parent), traps_(traps), ui_(std::make_unique<Ui::CTrapInfoDlg>()) {
    ui_->setupUi(this);
    // Enter and Escape close it, as "OK" does.
    SetUpDialog(*this, *ui_->client, DialogFrame::Fixed, DialogKeys::Standard);
    OnInitDialog();

    connect(ui_->trapList, &QTreeView::clicked, this, &CTrapInfoDlg::OnClickList);
    connect(ui_->trapList->header(), &QHeaderView::sectionClicked, this,
            &CTrapInfoDlg::OnColumnClick);
    connect(ui_->clearAllButton, &QPushButton::clicked, this, &CTrapInfoDlg::OnClearAll);
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CTrapInfoDlg::~CTrapInfoDlg() = default;

void CTrapInfoDlg::OnInitDialog() {
    traps_.Fill();
    ShowAsReportList(*ui_->trapList, traps_.Model(), traps_.Selection());
    ui_->trapList->setItemDelegateForColumn(
        TrapList::kColumnImage, new StatusImageDelegate(pictures::StatusImages(), ui_->trapList));
}

void CTrapInfoDlg::OnClickList() {
    traps_.Click();
}

void CTrapInfoDlg::OnClearAll() {
    traps_.ClearAll();
}

void CTrapInfoDlg::OnColumnClick(int column) {
    traps_.SortByColumn(column);
}

} // namespace fenwick
