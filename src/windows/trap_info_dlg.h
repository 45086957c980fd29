// The trap window: the stored traps with their arrival time, address and event text, a mark on
// each trap not yet clicked, "Clear all" and column sorting. A snapshot, opened modally by
// "View trap"; what it shows and does lives in the core's TrapList.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CTrapInfoDlg;
}

namespace fenwick {

class TrapList;

class CTrapInfoDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CTrapInfoDlg(TrapList& traps, QWidget* parent = nullptr);
    ~CTrapInfoDlg() override;

private:
    // Builds the list and fills it with the traps stored now.
    void OnInitDialog();
    void OnClickList();
    void OnClearAll();
    void OnColumnClick(int column);

    TrapList& traps_;
    std::unique_ptr<Ui::CTrapInfoDlg> ui_;
};

} // namespace fenwick
