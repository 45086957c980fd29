#include "password_change.h"

#include "core/config/config_texts.h"
#include "core/config/device_selection.h"

namespace fenwick {
namespace {

constexpr qsizetype kMaxPasswordLength = 20;

bool LengthFits(const QByteArray& password) {
    return !password.isEmpty() && password.size() <= kMaxPasswordLength;
}

} // namespace

PasswordChange::PasswordChange(UserPrompts& prompts, DeviceSelection& selection,
                               SetRequest& request)
    : prompts_(prompts), selection_(selection), request_(request) {}

SetOutcome PasswordChange::ChangePassword(const QString& original, const QString& newPassword,
                                          const QString& confirm) {
    DeviceRecord record = selection_.Chosen();
    const QByteArray originalBytes = original.toLatin1();
    const QByteArray newBytes = newPassword.toLatin1();
    const QByteArray confirmBytes = confirm.toLatin1();
    if (!LengthFits(originalBytes)) {
        ShowError(texts::kPasswordLength);
        return SetOutcome::CheckFailed;
    }
    SetFieldText(record.Password, originalBytes.toStdString());
    if (!LengthFits(newBytes)) {
        ShowError(texts::kPasswordLength);
        return SetOutcome::CheckFailed;
    }
    SetFieldText(record.NewPassword, newBytes.toStdString());
    if (!LengthFits(confirmBytes) || confirm != newPassword) {
        ShowError(texts::kConfirmPasswordFail);
        return SetOutcome::CheckFailed;
    }
    return request_.Send(record, texts::kUnicastSetSendErrorLower);
}

void PasswordChange::ShowError(const QString& text) {
    prompts_.MessageBox(text, texts::kCaptionError, UserPrompts::Icon::Error);
}

} // namespace fenwick
