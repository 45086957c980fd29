// The image file an upgrade sends, opened once when "Start" is pressed and read from that open
// file for the whole transfer: a path chosen or a file renamed over it meanwhile changes
// nothing, and a file rewritten in place is noticed (its size or modification time moves) and
// stops the transfer, so that the device never flashes a mixture of two images.
#pragma once

#include "codec/tftp_packets.h"

#include <cstdint>
#include <ctime>
#include <span>
#include <string_view>

namespace fenwick {

enum class ImageOpening {
    Opened,
    NotFound,       // cannot be opened for reading
    NotRegularFile, // a folder, a FIFO, a device...
    Empty,
    TooLarge, // more bytes than 16-bit block numbers can carry
};

enum class BlockReading {
    Read,
    Failed,   // the file could not be read
    Resized,  // the file's size is no longer the one it had at opening
    Modified, // the file was written to since it was opened
};

class FirmwareImage {
public:
    // Block numbers are 16 bits and the final block is the short (possibly empty) one after the
    // last full block: an image needs fewer than 0xFFFF full blocks.
    static constexpr std::int64_t kMaxSize = std::int64_t{0xFFFF} * kTftpBlockSize - 1;

    FirmwareImage() = default;
    ~FirmwareImage();
    FirmwareImage(FirmwareImage&& other) noexcept;
    FirmwareImage& operator=(FirmwareImage&& other) noexcept;
    FirmwareImage(const FirmwareImage&) = delete;
    FirmwareImage& operator=(const FirmwareImage&) = delete;

    // Opens the file at `path` (8-bit, as FirmwarePath holds it) without waiting on it (a FIFO
    // would block the window) and takes its size and modification time. Anything but Opened
    // leaves the image closed.
    ImageOpening Open(std::string_view path);
    bool IsOpen() const { return descriptor_ >= 0; }
    // The size at opening; 0 when closed.
    std::uint32_t Size() const { return size_; }

    struct Block {
        BlockReading result = BlockReading::Failed;
        std::size_t count = 0; // bytes read into the buffer, when Read
    };
    // Reads up to out.size() bytes at `offset`, first checking that the file is still as it
    // was opened.
    Block ReadBlock(std::int64_t offset, std::span<std::uint8_t> out) const;

    void Close();

private:
    int descriptor_ = -1;
    std::uint32_t size_ = 0;
    timespec modified_{};
};

} // namespace fenwick
