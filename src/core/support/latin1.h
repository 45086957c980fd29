// The program's texts are 8-bit, one character per byte; on screen they are Latin-1 so that
// every byte shows and round-trips.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

namespace fenwick {

inline QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The 8-bit form of a text the operator typed, or nothing when one of its characters has none:
// a conversion that put "?" in its place would send what was never typed.
inline std::optional<QByteArray> ExactLatin1(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return std::nullopt;
        }
    }
    return text.toLatin1();
}

// The bytes an 8-bit text in a QByteArray holds, as the fixed fields take them.
inline std::string_view TextView(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace fenwick
