// "Remote IP": the address of a device to add to the monitor list. "Apply" is the default
// button; Escape cancels.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CAddRemoteIpDlg;
}

namespace fenwick {

class RemoteAddition;

class CAddRemoteIpDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CAddRemoteIpDlg(RemoteAddition& remoteIp, QWidget* parent = nullptr);
    ~CAddRemoteIpDlg() override;

private:
    // "Apply": closes once the core has taken the address; stays open after telling why not.
    void OnOK();

    RemoteAddition& remoteIp_;
    std::unique_ptr<Ui::CAddRemoteIpDlg> ui_;
};

} // namespace fenwick
