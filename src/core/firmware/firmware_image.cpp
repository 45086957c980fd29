#include "firmware_image.h"

namespace fenwick {

std::optional<std::size_t> FirmwareImage::ReadBlock(std::string_view path, qint64 offset,
                                                    std::span<std::uint8_t> out) {
    const QByteArray wanted(path.data(), static_cast<qsizetype>(path.size()));
    if (!file_.isOpen() || wanted != path_) {
        Close();
        file_.setFileName(QFile::decodeName(wanted));
        // Unbuffered: blocks are read once each, so a read-ahead buffer would only add copies.
        if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            return std::nullopt;
        }
        path_ = wanted;
        size_ = file_.size();
    }
    // Blocks come in order, so the position is usually right already.
    if (file_.pos() != offset && !file_.seek(offset)) {
        Close();
        return std::nullopt;
    }
    const qint64 count =
        file_.read(reinterpret_cast<char*>(out.data()), static_cast<qint64>(out.size()));
    if (count < 0) {
        Close();
        return std::nullopt;
    }
    if (count < static_cast<qint64>(out.size()) || offset + count > size_) {
        size_ = file_.size();
    }
    return static_cast<std::size_t>(count);
}

void FirmwareImage::Close() {
    file_.close();
    path_.clear();
    size_ = 0;
}

} // namespace fenwick
