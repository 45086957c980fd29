// The program's texts are 8-bit, one character per byte; on screen they are Latin-1 so that
// every byte shows and round-trips.
#pragma once

#include <QString>
#include <string_view>

namespace fenwick {

inline QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace fenwick
