#include "trap_log_reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>

namespace fenwick::bench {
namespace {

// "TIMESTAMP IP Trap :TEXT\r\n": the event text follows the marker.
constexpr std::string_view kTrapMarker = "Trap :";
constexpr qint64 kPiece = 1 << 20;

} // namespace

void TrapLogReader::Update() {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    if (file.size() < offset_) {
        // Cleared ("Clear log"): start again from the beginning.
        offset_ = 0;
        partial_.clear();
    }
    file.seek(offset_);
    // In pieces: a storm leaves megabytes of log at once.
    for (QByteArray bytes = file.read(kPiece); !bytes.isEmpty(); bytes = file.read(kPiece)) {
        offset_ += bytes.size();
        partial_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        std::size_t start = 0;
        for (std::size_t end = partial_.find('\n'); end != std::string::npos;
             end = partial_.find('\n', start)) {
            Line(std::string_view(partial_).substr(start, end - start));
            start = end + 1;
        }
        partial_.erase(0, start);
    }
}

std::int64_t TrapLogReader::FileSize() const {
    return QFileInfo(path_).size();
}

void TrapLogReader::Line(std::string_view line) {
    const std::size_t marker = line.find(kTrapMarker);
    if (marker == std::string_view::npos) {
        return;
    }
    ++trapLines_;
    std::string_view text = line.substr(marker + kTrapMarker.size());
    if (text.ends_with('\r')) {
        text.remove_suffix(1);
    }
    // "PREFIX NUMBER from IP": the number is the word before " from ".
    const std::size_t from = text.rfind(" from ");
    const std::size_t blank = from == std::string_view::npos || from == 0
                                  ? std::string_view::npos
                                  : text.rfind(' ', from - 1);
    if (blank != std::string_view::npos) {
        std::uint64_t number = 0;
        const char* first = text.data() + blank + 1;
        const char* last = text.data() + from;
        const auto [end, status] = std::from_chars(first, last, number);
        // A bound on the bitmap, far above any storm's count.
        if (status == std::errc{} && end == last && number < (std::uint64_t{1} << 32)) {
            auto found = numbers_.find(text.substr(0, blank));
            if (found == numbers_.end()) {
                found = numbers_.emplace(std::string(text.substr(0, blank)), Seen{}).first;
            }
            Seen& seen = found->second;
            if (seen.bits.size() <= number) {
                seen.bits.resize(std::max<std::size_t>(number + 1, seen.bits.size() * 2));
            }
            if (!seen.bits[number]) {
                seen.bits[number] = true;
                ++seen.distinct;
            }
            return;
        }
    }
    texts_.emplace(text);
}

std::uint64_t TrapLogReader::Numbered(const std::string& prefix) const {
    const auto found = numbers_.find(prefix);
    return found == numbers_.end() ? 0 : found->second.distinct;
}

bool TrapLogReader::Contains(const std::string& text) const {
    for (const std::string& t : texts_) {
        if (t.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

} // namespace fenwick::bench
