#include "ctl_output.h"

#include <QJsonDocument>
#include <cstdio>

namespace fenwick::ctl {
namespace {

void Write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void Say(const QString& text) {
    Write(stderr, (QStringLiteral("fenwickctl: ") + text + u'\n').toLocal8Bit());
}

void PrintError(const QString& text) {
    Write(stderr, text.toLocal8Bit());
}

void Print(const QString& text) {
    Write(stdout, text.toLocal8Bit());
}

void PrintJson(const QJsonObject& object) {
    Write(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void PrintJson(const QJsonArray& array) {
    Write(stdout, QJsonDocument(array).toJson(QJsonDocument::Indented));
}

} // namespace fenwick::ctl
