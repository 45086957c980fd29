#include "latin1_validator.h"

namespace fenwick {

QValidator::State Latin1Validator::validate(QString& input, int& /*position*/) const {
    for (const QChar c : input) {
        if (c.unicode() > 0xFF) {
            return Invalid;
        }
    }
    return Acceptable;
}

} // namespace fenwick
