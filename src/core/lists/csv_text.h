// Comma-separated text as RFC 4180 writes it, for files that spreadsheets open. The texts come
// from devices and are not to be trusted: a field a spreadsheet would run as a formula is
// written as plain text, also where the spreadsheet's list separator is ";" (most European
// locales) or it reads tabs as separators.
#pragma once

#include <QString>
#include <QStringList>

namespace fenwick {

// One field. Each piece a spreadsheet may read as a cell of its own (the field, and what
// follows each ";", tab, carriage return or line feed in it) whose first character after any
// blanks, control characters and quotation marks is "=", "+", "-" or "@" gets a leading apostrophe,
// which spreadsheets read as "this is text"; so does a field that begins with a tab or a carriage
// return. Then a text holding a comma, a semicolon, a tab, a quotation mark, a carriage return
// or a line feed is put in quotation marks, its own quotation marks doubled.
QString CsvField(const QString& text);

// One record: the fields separated by commas and ended by CR LF.
QString CsvRecord(const QStringList& fields);

// What a file of records begins with: the UTF-8 byte-order mark, by which spreadsheets know
// the encoding (without it, many read the file in the locale's 8-bit code page).
inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

} // namespace fenwick
