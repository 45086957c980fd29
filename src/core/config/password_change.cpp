#include "password_change.h"

#include "core/config/config_texts.h"
#include "core/config/device_selection.h"
#include "core/support/latin1.h"

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

QString PasswordChange::ChosenMacText() const {
    return Latin1(FieldText(selection_.Chosen().MacText));
}

SetOutcome PasswordChange::ChangePassword(const QString& macText, const QString& original,
                                          const QString& newPassword, const QString& confirm) {
    if (!selection_.FindChosenAgain(TextView(macText.toLatin1()))) {
        return SetOutcome::CheckFailed;
    }
    DeviceRecord record = selection_.Chosen();
    const std::optional<QByteArray> originalExact = ExactLatin1(original);
    const std::optional<QByteArray> newExact = ExactLatin1(newPassword);
    const std::optional<QByteArray> confirmExact = ExactLatin1(confirm);
    if (!originalExact || !newExact || !confirmExact) {
        ShowError(texts::kNotLatin1);
        return SetOutcome::CheckFailed;
    }
    const QByteArray& originalBytes = *originalExact;
    const QByteArray& newBytes = *newExact;
    const QByteArray& confirmBytes = *confirmExact;
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
