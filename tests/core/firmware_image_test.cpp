// The image file as the transfer reads it: blocks by offset, the path taken anew each time, and
// a size that follows the file where it can have changed.
#include "core/firmware/firmware_image.h"

#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <string>

namespace fenwick {
namespace {

class FirmwareImageTest : public ::testing::Test {
protected:
    std::string Write(const char* name, const QByteArray& bytes,
                      QIODevice::OpenMode mode = QIODevice::Truncate) {
        const QString path = folder.path() + u'/' + QLatin1String(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | mode));
        file.write(bytes);
        return QFile::encodeName(path).toStdString();
    }

    // The block at `offset` of `path`, as text; "none" when it cannot be read.
    std::string Read(const std::string& path, qint64 offset) {
        std::array<std::uint8_t, 4> out{};
        const std::optional<std::size_t> count = image.ReadBlock(path, offset, out);
        return count ? std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(*count))
                     : std::string("none");
    }

    QTemporaryDir folder;
    FirmwareImage image;
};

TEST_F(FirmwareImageTest, ReadsBlocksInAnyOrderFromThePathGivenEachTime) {
    const std::string first = Write("first.hex", "aaaabbbbcc");
    const std::string second = Write("second.hex", "xxxxyyyy");
    EXPECT_EQ(Read(first, 0), "aaaa");
    EXPECT_EQ(Read(first, 4), "bbbb");
    EXPECT_EQ(Read(first, 8), "cc");
    EXPECT_EQ(image.Size(), 10);
    EXPECT_EQ(Read(second, 4), "yyyy"); // another path: that file, from the offset asked
    EXPECT_EQ(image.Size(), 8);
    EXPECT_EQ(Read(first, 0), "aaaa"); // back, and back to the start
    EXPECT_EQ(Read(folder.path().toStdString() + "/missing.hex", 0), "none");
}

TEST_F(FirmwareImageTest, TheSizeFollowsAFileThatGrowsOrShrinksWhileRead) {
    const std::string path = Write("image.hex", "aaaabbbb");
    EXPECT_EQ(Read(path, 0), "aaaa");
    EXPECT_EQ(image.Size(), 8);
    Write("image.hex", "ccccdd", QIODevice::Append);
    EXPECT_EQ(Read(path, 4), "bbbb");
    EXPECT_EQ(Read(path, 8), "cccc"); // past the size taken at opening
    EXPECT_EQ(image.Size(), 14);
    Write("image.hex", "eeeeff"); // cut shorter in place
    EXPECT_EQ(Read(path, 4), "ff");
    EXPECT_EQ(image.Size(), 6);
}

} // namespace
} // namespace fenwick
