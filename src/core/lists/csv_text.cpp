#include "csv_text.h"

namespace fenwick {
namespace {

bool IsFormulaStart(QChar c) {
    return c == u'=' || c == u'+' || c == u'-' || c == u'@';
}

// What a spreadsheet may pass over before it looks for a formula: blanks, control characters,
// and quotation marks, which a reader that does not see the field's quoting takes as its own.
bool IsSkippedBeforeAFormula(QChar c) {
    return c.unicode() <= 0x20 || c.unicode() == 0x7F ||
           (c.unicode() >= 0x80 && c.unicode() <= 0x9F) || c == u'"';
}

// Where a reader that splits on another separator than the comma, and so does not see the
// quotation marks, cuts the field: into cells at ";" and tabs, into rows at line breaks.
bool IsPieceBoundary(QChar c) {
    return c == u';' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Whether the piece starting at `begin` reads as a formula.
bool PieceStartsLikeAFormula(const QString& text, qsizetype begin) {
    qsizetype at = begin;
    while (at < text.size() && IsSkippedBeforeAFormula(text[at]) && !IsPieceBoundary(text[at])) {
        ++at;
    }
    return at < text.size() && IsFormulaStart(text[at]);
}

QString Neutralised(const QString& text) {
    QString field;
    field.reserve(text.size() + 1);
    // Tab and CR first: spreadsheets strip them before they look for a formula.
    if (!text.isEmpty() &&
        (text.front() == u'\t' || text.front() == u'\r' || PieceStartsLikeAFormula(text, 0))) {
        field += u'\'';
    }
    for (qsizetype at = 0; at < text.size(); ++at) {
        field += text[at];
        if (IsPieceBoundary(text[at]) && PieceStartsLikeAFormula(text, at + 1)) {
            field += u'\'';
        }
    }
    return field;
}

bool NeedsQuotes(const QString& text) {
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || IsPieceBoundary(c)) {
            return true;
        }
    }
    return false;
}

} // namespace

QString CsvField(const QString& text) {
    QString field = Neutralised(text);
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
