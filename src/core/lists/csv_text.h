// Comma-separated text as RFC 4180 writes it, for files that spreadsheets open. The texts come
// from devices and are not to be trusted: a field a spreadsheet would run as a formula is
// written as plain text.
#pragma once

#include <QString>
#include <QStringList>

namespace fenwick {

// One field. A text that begins with "=", "+", "-", "@", a tab or a carriage return gets a
// leading apostrophe, which spreadsheets read as "this is text"; then a text holding a comma,
// a quotation mark, a carriage return or a line feed is put in quotation marks, its own
// quotation marks doubled.
QString CsvField(const QString& text);

// One record: the fields separated by commas and ended by CR LF.
QString CsvRecord(const QStringList& fields);

} // namespace fenwick
