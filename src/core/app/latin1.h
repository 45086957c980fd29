// The program's texts are 8-bit, one character per byte; on screen they are Latin-1 so that
// every byte shows and round-trips.
#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

namespace fenwick {

inline QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The bytes an 8-bit text in a QByteArray holds, as the fixed fields take them.
inline std::string_view TextView(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace fenwick
