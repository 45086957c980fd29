#include "core/protocol/definition_loader.h"
#include "support/recording_prompts.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace fenwick {
namespace {

using testing::RecordingPrompts;

class DefinitionLoader : public ::testing::Test {
protected:
    QString Write(const std::vector<std::uint8_t>& bytes,
                  const QString& name = QStringLiteral("define.ecf")) {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    // Loads with values that show whether a rejected file left them alone.
    bool Load(const QString& path) {
        values = ProtocolValues{7, 7, 7, 7};
        return LoadDefinitionFile(path, prompts, values);
    }

    QTemporaryDir folder;
    RecordingPrompts prompts;
    ProtocolValues values;
};

TEST_F(DefinitionLoader, AcceptsAGoodFileSilently) {
    const QString path = Write(EncodeDefinitionFile(0x1A2B3C4D, 8080));
    EXPECT_EQ(path, DefinitionFilePath(folder.path()));
    ASSERT_TRUE(Load(path));
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(values.AgentKey, 0x1A2B3C4Du);
    EXPECT_EQ(values.BasePort, 8080);
    EXPECT_EQ(values.UnicastPort, 8081);
    EXPECT_EQ(values.AgentPort, 8082);
}

TEST_F(DefinitionLoader, RejectsWithOneMessageNamingTheFault) {
    std::vector<std::uint8_t> badSum = EncodeDefinitionFile(1, 2);
    badSum.front() = static_cast<std::uint8_t>(badSum.front() + 1);
    std::vector<std::uint8_t> tooLong(300, 0);
    tooLong[0] = 255;

    struct Case {
        const char* what;
        QString path;
        QString text; // exact when it has no path in it, else the start of it
    };
    const QString missing = folder.filePath(QStringLiteral("nothing-here.ecf"));
    const Case cases[] = {
        {"checksum", Write(badSum, QStringLiteral("sum.ecf")),
         QStringLiteral("define.ecf checksum error")},
        {"too short", Write({255, 0, 0}, QStringLiteral("short.ecf")),
         QStringLiteral("define.ecf is too short (3 bytes, at least 4): ")},
        {"too long", Write(tooLong, QStringLiteral("long.ecf")),
         QStringLiteral("define.ecf is too long (more than 256 bytes): ")},
        {"missing", missing, QStringLiteral("define.ecf is missing: ")},
        {"unreadable (a folder)", folder.path(), QStringLiteral("define.ecf cannot be read: ")},
    };
    for (const Case& c : cases) {
        prompts.boxes.clear();
        EXPECT_FALSE(Load(c.path)) << c.what;
        ASSERT_EQ(prompts.boxes.size(), 1u) << c.what;
        const RecordingPrompts::Box& box = prompts.boxes.front();
        EXPECT_TRUE(box.text.startsWith(c.text)) << c.what << ": " << box.text.toStdString();
        if (c.text.endsWith(QStringLiteral(": "))) {
            EXPECT_TRUE(box.text.contains(c.path)) << c.what;
        } else {
            EXPECT_EQ(box.text, c.text);
        }
        EXPECT_EQ(box.caption, QStringLiteral("file error"));
        EXPECT_EQ(box.icon, UserPrompts::Icon::Error);
        EXPECT_EQ(values.AgentKey, 7u) << c.what;
        EXPECT_EQ(values.AgentPort, 7) << c.what;
    }
}

} // namespace
} // namespace fenwick
