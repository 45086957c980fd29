// The configuration folder is the operator's own: what the program makes there (and the lists
// it exports) is private from the start, the event log is never written through a symbolic
// link, and a folder that others may write is pointed out at start-up.
#include "core/monitor/event_log.h"
#include "monitor_list_fixture.h"

#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace fenwick::testing {
namespace {

class PrivateFiles : public MonitorListFixture {
protected:
    static int Mode(const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0
                   ? static_cast<int>(info.st_mode & 07777)
                   : -1;
    }
};

TEST_F(PrivateFiles, WhatTheProgramMakesIsTheOperatorsAlone) {
    // Whatever the umask lets through.
    const mode_t umask = ::umask(0);
    configFolder = root.path() + QStringLiteral("/home/.config/fenwick");
    siteFolder = Folder();
    Start();
    ASSERT_EQ(core->Log().AppendToSyslog("line\r\n"), 0);
    core->MonitorSave();
    const QString exported = root.path() + QStringLiteral("/lists.csv");
    prompts.fileNames.push_back(exported);
    core->ExportLists();
    ::umask(umask);

    EXPECT_TRUE(prompts.boxes.empty()) << BoxTexts().join(u'|').toStdString();
    EXPECT_EQ(Mode(configFolder), 0700);
    EXPECT_EQ(Mode(configFolder + QStringLiteral("/syslog.log")), 0600);
    EXPECT_EQ(Mode(configFolder + QStringLiteral("/monitor.cfg")), 0600);
    EXPECT_EQ(Mode(exported), 0600);
}

TEST_F(PrivateFiles, TheLogIsNotWrittenThroughASymbolicLink) {
    Start();
    const QString log = Folder() + QStringLiteral("/syslog.log");
    const QString kept = root.path() + QStringLiteral("/kept");
    const QString absent = root.path() + QStringLiteral("/absent");
    WriteFile(kept, Bytes{'k', 'e', 'e', 'p'});
    for (const QString& target : {kept, absent}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(log);
        ASSERT_TRUE(QFile::link(target, log));
        prompts.boxes.clear();

        EXPECT_EQ(core->Log().AppendToSyslog("line\r\n"), -1);

        EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("syslog.log not exit")});
        EXPECT_EQ(ReadFile(kept), (Bytes{'k', 'e', 'e', 'p'}));
        EXPECT_FALSE(QFileInfo::exists(absent));
    }
}

TEST_F(PrivateFiles, AFolderOthersMayWriteIsToldOnceAtStartUp) {
    const QString writable = QStringLiteral("The configuration folder %1 can be written by other "
                                            "users: they could change the files Fenwick reads "
                                            "and writes there.")
                                 .arg(Folder());
    const QString foreign = QStringLiteral("The configuration folder %1 belongs to another user: "
                                           "they could change the files Fenwick reads and "
                                           "writes there.")
                                .arg(Folder());
    struct Case {
        const char* what;
        int mode;
        bool otherOwner; // only root can give it away
        QString box;     // empty: nothing said
    };
    const Case cases[] = {
        {"private", 0700, false, {}},
        {"readable by all", 0755, false, {}},
        {"group-writable", 0770, false, writable},
        {"writable by all", 0777, false, writable},
        {"another user's", 0700, true, foreign},
    };
    for (const Case& c : cases) {
        if (c.otherOwner && ::geteuid() != 0) {
            continue;
        }
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::chmod(QFile::encodeName(Folder()).constData(), static_cast<mode_t>(c.mode)), 0);
        ASSERT_EQ(::chown(QFile::encodeName(Folder()).constData(),
                          c.otherOwner ? 65534 : ::geteuid(), static_cast<gid_t>(-1)),
                  0);
        prompts.boxes.clear();
        state = std::make_unique<ProgramState>();
        Start();
        if (c.box.isEmpty()) {
            EXPECT_TRUE(prompts.boxes.empty()) << BoxTexts().join(u'|').toStdString();
        } else {
            ASSERT_EQ(BoxTexts(), QStringList{c.box});
            EXPECT_EQ(prompts.boxes.front().caption, QStringLiteral("Warning"));
            EXPECT_EQ(prompts.boxes.front().icon, UserPrompts::Icon::Warning);
        }
        // The program goes on: its definition read, its sockets open.
        EXPECT_EQ(state->Protocol.AgentKey, kTestKey);
        EXPECT_NE(network.BoundTo(kTestBasePort), nullptr);
        core.reset();
    }
    [[maybe_unused]] const int restored =
        ::chown(QFile::encodeName(Folder()).constData(), ::geteuid(), static_cast<gid_t>(-1));
}

} // namespace
} // namespace fenwick::testing
