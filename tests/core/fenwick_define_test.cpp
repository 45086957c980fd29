#include "core/protocol/definition_loader.h"
#include "support/recording_prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fenwick {
namespace {

using testing::RecordingPrompts;

// As this user, or (`asNobody`, for root) as the user nobody.
int RunTool(const QStringList& arguments, bool asNobody = false) {
    QProcess tool;
    if (asNobody) {
        tool.start(QStringLiteral("setpriv"),
                   QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups"),
                               QStringLiteral(FENWICK_DEFINE_TOOL)} +
                       arguments);
    } else {
        tool.start(QStringLiteral(FENWICK_DEFINE_TOOL), arguments);
    }
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return tool.exitCode();
}

TEST(FenwickDefine, WritesFilesTheProgramReadsBack) {
    QTemporaryDir folder;
    struct Case {
        const char* key;
        const char* port;
        std::uint32_t agentKey;
        std::uint16_t basePort;
    };
    const Case cases[] = {
        {"00000000", "0", 0, 0},
        {"FFFFFFFF", "65535", 0xFFFFFFFF, 0xFFFF},
        {"1a2b3c4d", "0x1F90", 0x1A2B3C4D, 8080},
        {"DEADBEEF", "0xFFFF", 0xDEADBEEF, 0xFFFF},
        {"00C0FFEE", "0x0000", 0x00C0FFEE, 0},
        {"12345678", "8080", 0x12345678, 0x1F90},
    };
    int index = 0;
    for (const Case& c : cases) {
        const QString path = folder.filePath(QStringLiteral("define%1.ecf").arg(index++));
        ASSERT_EQ(RunTool({QString::fromLatin1(c.key), QString::fromLatin1(c.port), path}), 0)
            << c.key << " " << c.port;
        RecordingPrompts prompts;
        ProtocolValues values;
        ASSERT_TRUE(LoadDefinitionFile(path, prompts, values)) << c.key << " " << c.port;
        EXPECT_EQ(values.AgentKey, c.agentKey);
        EXPECT_EQ(values.BasePort, c.basePort);
        EXPECT_EQ(values.UnicastPort, static_cast<std::uint16_t>(c.basePort + 1));
        EXPECT_EQ(values.AgentPort, static_cast<std::uint16_t>(c.basePort + 2));
    }
}

TEST(FenwickDefine, OverwritesOnlyWhenForced) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("define.ecf"));
    {
        QFile existing(path);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    EXPECT_NE(RunTool({QStringLiteral("1A2B3C4D"), QStringLiteral("8080"), path}), 0);
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
    kept.close();

    EXPECT_EQ(RunTool({QStringLiteral("--force"), QStringLiteral("1A2B3C4D"),
                       QStringLiteral("8080"), path}),
              0);
    RecordingPrompts prompts;
    ProtocolValues values;
    ASSERT_TRUE(LoadDefinitionFile(path, prompts, values));
    EXPECT_EQ(values.AgentKey, 0x1A2B3C4Du);
}

TEST(FenwickDefine, MakesAMissingFinalFolder) {
    // A user's own folder is private; root makes the site-wide one, which every user reads.
    const QFileDevice::Permissions owner =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions all = owner | QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                         QFileDevice::ReadOther | QFileDevice::ExeOther;
    const bool root = ::geteuid() == 0;
    for (const bool asNobody : root ? std::vector<bool>{false, true} : std::vector<bool>{false}) {
        QTemporaryDir folder;
        ASSERT_TRUE(QFile::setPermissions(folder.path(),
                                          owner | QFileDevice::WriteOther | QFileDevice::ExeOther));
        const QString made = folder.filePath(QStringLiteral("fenwick"));
        ASSERT_EQ(RunTool({QStringLiteral("1A2B3C4D"), QStringLiteral("8080"),
                           made + QStringLiteral("/define.ecf")},
                          asNobody),
                  0);
        EXPECT_TRUE(QFile::exists(made + QStringLiteral("/define.ecf")));
        const QFileDevice::Permissions mode =
            QFileInfo(made).permissions() &
            ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        EXPECT_EQ(mode, root && !asNobody ? all : owner) << (asNobody ? "nobody" : "this user");
    }
}

TEST(FenwickDefine, BadArgumentsWriteNothing) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("define.ecf"));
    const QStringList bad[] = {
        {},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("8080")},
        {QStringLiteral("1A2B3C4"), QStringLiteral("8080"), path},
        {QStringLiteral("1A2B3C4D0"), QStringLiteral("8080"), path},
        {QStringLiteral("1A2B3C4G"), QStringLiteral("8080"), path},
        {QStringLiteral("0x1A2B3C"), QStringLiteral("8080"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("65536"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("-1"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("0x10000"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("0x"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("80a"), path},
        {QStringLiteral("1A2B3C4D"), QStringLiteral("8080"), path, QStringLiteral("extra")},
        {QStringLiteral("--forced"), QStringLiteral("1A2B3C4D"), QStringLiteral("8080"), path},
    };
    for (const QStringList& arguments : bad) {
        EXPECT_EQ(RunTool(arguments), 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFile::exists(path)) << arguments.join(QLatin1Char(' ')).toStdString();
    }
    // A folder that does not exist: refused with a message, not a usage error.
    EXPECT_EQ(RunTool({QStringLiteral("1A2B3C4D"), QStringLiteral("8080"),
                       folder.filePath(QStringLiteral("no/such/define.ecf"))}),
              1);
}

} // namespace
} // namespace fenwick
