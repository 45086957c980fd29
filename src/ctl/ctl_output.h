// fenwickctl's two streams: results on standard output, so that a script can read them
// whole; everything said to the operator on standard error. Each is flushed as written.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace fenwick::ctl {

// "fenwickctl: `text`" and a line end, on standard error.
void Say(const QString& text);
// `text` as it is, on standard error (a message that names the program itself).
void PrintError(const QString& text);
// `text` as it is, on standard output.
void Print(const QString& text);
// One line of compact JSON on standard output.
void PrintJson(const QJsonObject& object);
// Indented JSON on standard output.
void PrintJson(const QJsonArray& array);

} // namespace fenwick::ctl
