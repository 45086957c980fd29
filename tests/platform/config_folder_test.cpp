#include "core/protocol/definition_loader.h"
#include "platform/config_folder.h"
#include "support/qt_printers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace fenwick {
namespace {

// A scratch tree standing for the machine: bin/ (the executable's folder, with or without its
// cfg folder), home/, xdg/ and etc/fenwick (the site-wide folder), each define.ecf written as
// the case asks.
class ConfigFolderChoice : public ::testing::Test {
protected:
    QString At(const QString& relative) const { return root.path() + u'/' + relative; }

    void MakeFolder(const QString& relative) const {
        ASSERT_TRUE(QDir().mkpath(At(relative))) << relative.toStdString();
    }
    void PutDefinition(const QString& relativeFolder) const {
        MakeFolder(relativeFolder);
        QFile file(At(relativeFolder) + QStringLiteral("/define.ecf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir root;
};

TEST_F(ConfigFolderChoice, FollowsTheLayoutAndFallsBackToTheSiteDefinition) {
    struct Case {
        const char* what;
        bool portable;             // bin/cfg exists
        const char* xdg;           // $XDG_CONFIG_HOME, relative to the scratch root unless it
                                   // starts with '!' (taken as it stands); null: unset
        const char* explicitDir;   // --config-dir, relative to the scratch root; null: none
        const char* definitionsIn; // folders (relative) holding a define.ecf, ';' between
        const char* folder;        // the folder chosen
        const char* definition;    // the define.ecf read
        const char* lookedIn;      // the folders named when it cannot be used, ';' between
        bool siteFallback;         // the choice carries the site folder
    };
    const Case cases[] = {
        {"portable cfg beside the executable", true, "xdg", nullptr, "bin/cfg", "bin/cfg",
         "bin/cfg", "bin/cfg", false},
        {"portable cfg never falls back to the site file", true, nullptr, nullptr, "etc/fenwick",
         "bin/cfg", "bin/cfg", "bin/cfg", false},
        {"XDG_CONFIG_HOME set", false, "xdg", nullptr, "xdg/fenwick", "xdg/fenwick", "xdg/fenwick",
         "xdg/fenwick", true},
        {"own define.ecf goes before the site's", false, "xdg", nullptr, "xdg/fenwick;etc/fenwick",
         "xdg/fenwick", "xdg/fenwick", "xdg/fenwick", true},
        {"XDG_CONFIG_HOME unset: ~/.config", false, nullptr, nullptr, "home/.config/fenwick",
         "home/.config/fenwick", "home/.config/fenwick", "home/.config/fenwick", true},
        {"XDG_CONFIG_HOME empty: ~/.config", false, "!", nullptr, "", "home/.config/fenwick",
         "home/.config/fenwick", "home/.config/fenwick;etc/fenwick", true},
        {"XDG_CONFIG_HOME relative is ignored", false, "!relative/xdg", nullptr, "",
         "home/.config/fenwick", "home/.config/fenwick", "home/.config/fenwick;etc/fenwick", true},
        {"missing define.ecf is taken from the site folder", false, "xdg", nullptr, "etc/fenwick",
         "xdg/fenwick", "etc/fenwick", "xdg/fenwick;etc/fenwick", true},
        {"missing everywhere: the own file, both folders named", false, "xdg", nullptr, "",
         "xdg/fenwick", "xdg/fenwick", "xdg/fenwick;etc/fenwick", true},
        {"--config-dir goes before the portable cfg", true, "xdg", "chosen", "bin/cfg;chosen",
         "chosen", "chosen", "chosen", true},
        {"--config-dir without define.ecf falls back to the site", true, nullptr, "chosen/",
         "bin/cfg;etc/fenwick", "chosen", "etc/fenwick", "chosen;etc/fenwick", true},
        {"--config-dir is cleaned", false, nullptr, "chosen/./sub/../", "", "chosen", "chosen",
         "chosen;etc/fenwick", true},
    };
    const auto paths = [&](const char* list) {
        QStringList result;
        for (const QString& relative : QString::fromLatin1(list).split(u';', Qt::SkipEmptyParts)) {
            result << At(relative);
        }
        return result;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(root.remove());
        root = QTemporaryDir();
        ASSERT_TRUE(root.isValid());
        MakeFolder(QStringLiteral("bin"));
        if (c.portable) {
            MakeFolder(QStringLiteral("bin/cfg"));
        }
        for (const QString& folder : paths(c.definitionsIn)) {
            PutDefinition(QDir(root.path()).relativeFilePath(folder));
        }
        ConfigFolderInputs inputs;
        inputs.executableFolder = At(QStringLiteral("bin"));
        inputs.home = At(QStringLiteral("home"));
        inputs.siteFolder = At(QStringLiteral("etc/fenwick"));
        if (c.xdg != nullptr) {
            inputs.xdgConfigHome =
                c.xdg[0] == '!' ? QString::fromLatin1(c.xdg + 1) : At(QString::fromLatin1(c.xdg));
        }
        if (c.explicitDir != nullptr) {
            inputs.explicitFolder = At(QString::fromLatin1(c.explicitDir));
        }

        const ConfigFolders folders = ChooseConfigFolder(inputs);
        EXPECT_EQ(folders.folder, At(QString::fromLatin1(c.folder)));
        EXPECT_EQ(folders.siteFolder, c.siteFallback ? inputs.siteFolder : QString());
        const DefinitionLocation definition = FindDefinitionFile(folders);
        EXPECT_EQ(definition.path,
                  At(QString::fromLatin1(c.definition)) + QStringLiteral("/define.ecf"));
        EXPECT_EQ(definition.foldersLookedIn, paths(c.lookedIn));
        // Choosing makes nothing: the folder is made when a file is first written there.
        const bool madeByTheCase = paths(c.definitionsIn).contains(folders.folder) ||
                                   (c.portable && folders.folder == At(QStringLiteral("bin/cfg")));
        EXPECT_EQ(QFileInfo(folders.folder).isDir(), madeByTheCase);
    }
}

TEST(ConfigFolder, ARelativeConfigDirIsTakenFromTheWorkingFolder) {
    ConfigFolderInputs inputs;
    inputs.explicitFolder = QStringLiteral("some/where/");
    inputs.executableFolder = QStringLiteral("/nonexistent/bin");
    EXPECT_EQ(ChooseConfigFolder(inputs).folder,
              QDir::currentPath() + QStringLiteral("/some/where"));
}

// Puts an environment variable back as it was (set to its value, or unset) when it goes, so
// that no later test in this process sees what one test put there.
class RestoredVariable {
public:
    explicit RestoredVariable(const char* name)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), value_(qgetenv(name)) {}
    ~RestoredVariable() {
        if (wasSet_) {
            qputenv(name_, value_);
        } else {
            qunsetenv(name_);
        }
    }
    RestoredVariable(const RestoredVariable&) = delete;
    RestoredVariable& operator=(const RestoredVariable&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray value_;
};

TEST(ConfigFolder, TheRunningProcessIsAskedForItsFolderAndEnvironment) {
    const RestoredVariable restored("XDG_CONFIG_HOME");
    int argc = 1;
    char name[] = "/opt/some where/bin/fenwick";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTemporaryDir xdg;
    ASSERT_TRUE(xdg.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.path()));
    // No cfg beside this test executable: the XDG folder, with the real site folder.
    ASSERT_FALSE(
        QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/cfg")));
    const ConfigFolders folders = GetConfigFolder();
    EXPECT_EQ(folders.folder, xdg.path() + QStringLiteral("/fenwick"));
    EXPECT_EQ(folders.siteFolder, QStringLiteral("/etc/fenwick"));
    EXPECT_EQ(GetConfigFolder(xdg.path() + QStringLiteral("/other")).folder,
              xdg.path() + QStringLiteral("/other"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(GetConfigFolder().folder, QDir::homePath() + QStringLiteral("/.config/fenwick"));
}

} // namespace
} // namespace fenwick
