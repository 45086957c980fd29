// "Password change": the request carries the device's current settings unchanged, the
// original password for authorisation and the new one.
#pragma once

#include "core/config/set_request.h"

#include <QString>

namespace fenwick {

class DeviceSelection;

class PasswordChange {
public:
    PasswordChange(UserPrompts& prompts, DeviceSelection& selection, SetRequest& request);

    // "Set" in the dialog opened for the device with `macText`: finds it again, checks the
    // three fields and, when they pass, sends the request.
    SetOutcome ChangePassword(const QString& macText, const QString& original,
                              const QString& newPassword, const QString& confirm);

    // The MAC text of the device the last choice made, which the dialog keeps.
    QString ChosenMacText() const;

private:
    void ShowError(const QString& text);

    UserPrompts& prompts_;
    DeviceSelection& selection_;
    SetRequest& request_;
};

} // namespace fenwick
