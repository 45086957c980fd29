#include "firmware_image.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fenwick {

namespace {

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

FirmwareImage::~FirmwareImage() {
    Close();
}

FirmwareImage::FirmwareImage(FirmwareImage&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), size_(std::exchange(other.size_, 0)),
      modified_(other.modified_) {}

FirmwareImage& FirmwareImage::operator=(FirmwareImage&& other) noexcept {
    if (this != &other) {
        Close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        size_ = std::exchange(other.size_, 0);
        modified_ = other.modified_;
    }
    return *this;
}

ImageOpening FirmwareImage::Open(std::string_view path) {
    Close();
    if (path.find('\0') != std::string_view::npos) {
        return ImageOpening::NotFound; // the system would open the file its first part names
    }
    const std::string name(path);
    int descriptor = -1;
    do {
        descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        return ImageOpening::NotFound;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        ::close(descriptor);
        return ImageOpening::NotFound;
    }
    const auto verdict = !S_ISREG(status.st_mode)    ? ImageOpening::NotRegularFile
                         : status.st_size == 0       ? ImageOpening::Empty
                         : status.st_size > kMaxSize ? ImageOpening::TooLarge
                                                     : ImageOpening::Opened;
    if (verdict != ImageOpening::Opened) {
        ::close(descriptor);
        return verdict;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::uint32_t>(status.st_size);
    modified_ = status.st_mtim;
    return verdict;
}

FirmwareImage::Block FirmwareImage::ReadBlock(std::int64_t offset,
                                              std::span<std::uint8_t> out) const {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0) {
        return {};
    }
    if (status.st_size != static_cast<off_t>(size_)) {
        return {BlockReading::Resized};
    }
    if (!SameTime(status.st_mtim, modified_)) {
        return {BlockReading::Modified};
    }
    std::size_t count = 0;
    while (count < out.size()) {
        const ssize_t got = ::pread(descriptor_, out.data() + count, out.size() - count,
                                    static_cast<off_t>(offset) + static_cast<off_t>(count));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {};
        }
        if (got == 0) {
            break; // the end of the file
        }
        count += static_cast<std::size_t>(got);
    }
    return {BlockReading::Read, count};
}

void FirmwareImage::Close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
    descriptor_ = -1;
    size_ = 0;
    modified_ = {};
}

} // namespace fenwick
