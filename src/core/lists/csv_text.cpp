#include "csv_text.h"

namespace fenwick {
namespace {

// What makes a spreadsheet take a cell as a formula (or, for tab and CR, what it strips before
// looking for one).
bool StartsLikeAFormula(const QString& text) {
    static const QString kStarts = QStringLiteral("=+-@\t\r");
    return !text.isEmpty() && kStarts.contains(text.front());
}

bool NeedsQuotes(const QString& text) {
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            return true;
        }
    }
    return false;
}

} // namespace

QString CsvField(const QString& text) {
    QString field = StartsLikeAFormula(text) ? u'\'' + text : text;
    if (!NeedsQuotes(field)) {
        return field;
    }
    field.replace(u'"', QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

QString CsvRecord(const QStringList& fields) {
    QStringList written;
    written.reserve(fields.size());
    for (const QString& field : fields) {
        written << CsvField(field);
    }
    return written.join(u',') + QStringLiteral("\r\n");
}

} // namespace fenwick
