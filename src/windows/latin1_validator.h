// Names, locations and passwords travel to the switches as 8-bit Latin-1 texts: a field with
// this validator refuses a character outside Latin-1 as it is typed or pasted, rather than
// let the switch receive something else in its place.
#pragma once

#include <QValidator>

namespace fenwick {

class Latin1Validator final : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
};

} // namespace fenwick
