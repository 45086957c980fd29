// The image file a transfer reads its blocks from, named anew for every block by FirmwarePath:
// a path chosen with "Browse" during a transfer supplies the blocks that follow. The file stays
// open while the path stays the same, so that a block costs one read rather than an open, a
// seek, a read, a size query and a close.
#pragma once

#include <QByteArray>
#include <QFile>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace fenwick {

class FirmwareImage {
public:
    // Reads up to out.size() bytes at `offset` of the file at `path` (8-bit, as FirmwarePath
    // holds it). The count read, or nothing when the file cannot be opened or read.
    std::optional<std::size_t> ReadBlock(std::string_view path, qint64 offset,
                                         std::span<std::uint8_t> out);
    // The size of the file last read: taken when it was opened and again whenever a read ends
    // short of the block or past that size, the only times it can tell something new.
    qint64 Size() const { return size_; }
    // Lets the file go; the next read opens it again.
    void Close();

private:
    QFile file_;
    QByteArray path_; // the path file_ was opened with
    qint64 size_ = 0;
};

} // namespace fenwick
