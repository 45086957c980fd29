// The image file as an upgrade sends it: refused unless it is a regular file of a size that
// block numbers can carry, then read from the file opened at "Start", and stopped when that file
// is rewritten.
#include "core/firmware/firmware_image.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace fenwick {
namespace {

class FirmwareImageTest : public ::testing::Test {
protected:
    std::string Write(const char* name, const QByteArray& bytes,
                      QIODevice::OpenMode mode = QIODevice::Truncate) {
        const QString path = Path(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | mode));
        file.write(bytes);
        return QFile::encodeName(path).toStdString();
    }
    QString Path(const char* name) const { return folder.path() + u'/' + QLatin1String(name); }

    // The block at `offset`, as text; what stopped the read otherwise.
    std::string Read(qint64 offset) {
        std::array<std::uint8_t, 4> out{};
        const FirmwareImage::Block block = image.ReadBlock(offset, out);
        switch (block.result) {
        case BlockReading::Read:
            return std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(block.count));
        case BlockReading::Failed:
            return "failed";
        case BlockReading::Resized:
            return "resized";
        case BlockReading::Modified:
            return "modified";
        }
        return "?";
    }

    QTemporaryDir folder;
    FirmwareImage image;
};

TEST_F(FirmwareImageTest, OpensOnlyARegularFileThatBlockNumbersCanCarry) {
    const std::string regular = Write("image.hex", "aaaabbbbcc");
    const std::string empty = Write("empty.hex", "");
    const std::string fifo = QFile::encodeName(Path("pipe.hex")).toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string largest = Write("largest.hex", "");
    ASSERT_TRUE(QFile::resize(Path("largest.hex"), 0xFFFF * 512 - 1)); // sparse
    const std::string tooLarge = Write("too-large.hex", "");
    ASSERT_TRUE(QFile::resize(Path("too-large.hex"), 0xFFFF * 512));
    struct Case {
        std::string path;
        ImageOpening opening;
        std::uint32_t size;
    };
    const Case cases[] = {
        {regular, ImageOpening::Opened, 10},
        {largest, ImageOpening::Opened, 33553919},
        {Path("missing.hex").toStdString(), ImageOpening::NotFound, 0},
        {std::string(regular) + std::string("\0.old", 5), ImageOpening::NotFound, 0},
        {folder.path().toStdString(), ImageOpening::NotRegularFile, 0},
        {fifo, ImageOpening::NotRegularFile, 0}, // and the open does not wait for a writer
        {"/dev/null", ImageOpening::NotRegularFile, 0},
        {empty, ImageOpening::Empty, 0},
        {tooLarge, ImageOpening::TooLarge, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(image.Open(c.path), c.opening);
        EXPECT_EQ(image.IsOpen(), c.opening == ImageOpening::Opened);
        EXPECT_EQ(image.Size(), c.size);
    }
}

TEST_F(FirmwareImageTest, ReadsTheFileOpenedWhateverIsPutAtItsPathSince) {
    const std::string path = Write("image.hex", "aaaabbbbcc");
    ASSERT_EQ(image.Open(path), ImageOpening::Opened);
    EXPECT_EQ(Read(4), "bbbb");
    EXPECT_EQ(Read(0), "aaaa");
    EXPECT_EQ(Read(8), "cc");
    EXPECT_EQ(Read(12), "");
    // Another file renamed over the path: the one opened is still what is read.
    Write("other.hex", "xxxxyyyyzzzz");
    ASSERT_EQ(std::rename(QFile::encodeName(Path("other.hex")).constData(), path.c_str()), 0);
    EXPECT_EQ(Read(4), "bbbb");
    FirmwareImage moved = std::move(image);
    EXPECT_FALSE(image.IsOpen());
    EXPECT_EQ(moved.Size(), 10u);
    image.Close();
    EXPECT_EQ(Read(0), "failed");
}

TEST_F(FirmwareImageTest, AFileWrittenToSinceItWasOpenedIsNotRead) {
    struct Case {
        const char* what;
        std::function<void()> write;
        const char* read;
    };
    const Case cases[] = {
        {"appended to", [&] { Write("image.hex", "dd", QIODevice::Append); }, "resized"},
        {"cut shorter", [&] { Write("image.hex", "aaaa"); }, "resized"},
        {"same size, new time",
         [&] {
             QFile file(Path("image.hex"));
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.write("AAAA");
             ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                          QFileDevice::FileModificationTime));
         },
         "modified"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(image.Open(Write("image.hex", "aaaabbbbcc")), ImageOpening::Opened);
        EXPECT_EQ(Read(0), "aaaa");
        c.write();
        EXPECT_EQ(Read(4), c.read);
    }
}

} // namespace
} // namespace fenwick
