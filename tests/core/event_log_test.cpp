#include "core/monitor/event_log.h"
#include "monitoring_fixture.h"

#include <QDir>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fenwick::testing {
namespace {

class EventLogFile : public MonitoringFixture {
protected:
    void SetUp() override {
        MonitoringFixture::SetUp();
        Start();
        Monitor({AgentReply::Numbered(1)});
    }

    void Trap(const std::string& text) {
        ReceiveTrap(TrapDatagram(AgentReply::Numbered(1), AgentReply::Numbered(1).ip, text));
    }

    std::string TrapLine(const std::string& text) const {
        return std::string(kStartStamp) + " " + IpOf(1).toStdString() + " Trap :" + text + "\r\n";
    }
};

// Holds an exclusive flock on a file, as another program writing the log would.
class HeldLock {
public:
    explicit HeldLock(const QString& path)
        : descriptor_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT, 0600)) {
        EXPECT_EQ(::flock(descriptor_, LOCK_EX | LOCK_NB), 0);
    }
    ~HeldLock() { ::close(descriptor_); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    int descriptor_;
};

TEST_F(EventLogFile, AnAppendThatCannotBeMadeIsToldAndTheTrapStillCounts) {
    struct Case {
        const char* what;
        std::function<void()> spoil;
    };
    std::unique_ptr<HeldLock> lock;
    const Case cases[] = {
        {"cfg is a file",
         [&] {
             ASSERT_TRUE(QDir(Folder()).removeRecursively());
             MonitorListFixture::WriteFile(Folder(), Bytes{1});
         }},
        {"log is a folder", [&] { ASSERT_TRUE(QDir().mkpath(LogPath())); }},
        {"log locked by another program", [&] { lock = std::make_unique<HeldLock>(LogPath()); }},
        {"disk full", [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), LogPath())); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.spoil();
        prompts.boxes.clear();
        const std::int32_t count = state->TrapCount;
        state->MonitorTable[0].Answered = 0;

        Trap("fan fail");

        ASSERT_EQ(prompts.boxes.size(), 2u) << "one box for each of the two appends";
        for (const RecordingPrompts::Box& box : prompts.boxes) {
            EXPECT_EQ(box.text, QStringLiteral("syslog.log not exit"));
            EXPECT_EQ(box.caption, QStringLiteral("Error"));
            EXPECT_EQ(box.icon, UserPrompts::Icon::Error);
        }
        EXPECT_EQ(state->TrapCount, count + 1);
        EXPECT_EQ(Entry(0).Answered, 1);

        lock.reset();
        QFile::remove(LogPath());
        QDir(LogPath()).removeRecursively();
        if (QFileInfo(Folder()).isFile()) {
            QFile::remove(Folder());
        }
        ASSERT_TRUE(QDir().mkpath(Folder()));
    }
}

TEST_F(EventLogFile, TrapsThatArriveUnderTheFailureBoxAddNoBoxesButAreKept) {
    ASSERT_TRUE(QDir().mkpath(LogPath()));
    int delivered = 0;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        if (delivered < 3) {
            ++delivered;
            Trap("meanwhile");
        }
    };

    Trap("first");

    EXPECT_EQ(BoxTexts(), QStringList(2, QStringLiteral("syslog.log not exit")))
        << "the first trap's two appends, one after the other";
    EXPECT_EQ(delivered, 2) << "one trap under each of the two boxes";
    EXPECT_EQ(state->TrapCount, 3);
}

TEST_F(EventLogFile, TheLogIsClosedAndUnlockedWhileItsFailureBoxIsOpen) {
    // The lock is taken, then the write fails: the disk is full.
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), LogPath()));
    bool checked = false;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        if (checked) {
            return;
        }
        checked = true;
        {
            HeldLock other(LogPath()); // expects the lock to be free
        }
        // Space is made meanwhile; a trap that arrives now is written.
        ASSERT_TRUE(QFile::remove(LogPath()));
        Trap("under the box");
    };

    Trap("first");

    EXPECT_TRUE(checked);
    EXPECT_EQ(LogBytes(), TrapLine("under the box") + TrapLine("first").substr(kTimestampLength))
        << "the first trap's second append comes after the box";
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("syslog.log not exit")});
}

TEST_F(EventLogFile, TheLockIsHeldOnlyForTheWrite) {
    Trap("one");
    {
        HeldLock other(LogPath()); // taken at once: the program does not keep it
    }
    Trap("two");
    EXPECT_EQ(LogBytes(), TrapLine("one") + TrapLine("two"));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(EventLogFile, ClearLogLeavesAnEmptyLogThatTheNextTrapStartsAgain) {
    struct Case {
        const char* what;
        std::function<void()> before;
    };
    const Case cases[] = {
        {"after lines",
         [&] {
             Trap("old");
             Trap("older");
         }},
        {"with no log yet", [&] { QFile::remove(LogPath()); }},
        {"with no folder yet", [&] { ASSERT_TRUE(QDir(Folder()).removeRecursively()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.before();
        core->ClearLog();
        EXPECT_TRUE(QFile::exists(LogPath()));
        EXPECT_EQ(LogBytes(), "");
        Trap("new");
        EXPECT_EQ(LogBytes(), TrapLine("new"));
    }
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(EventLogFile, TheFirstLineMakesTheFolder) {
    // An installed copy's folder does not exist before something is written there.
    ASSERT_TRUE(QDir(Folder()).removeRecursively());
    Trap("first");
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(LogBytes(), TrapLine("first"));
}

TEST_F(EventLogFile, ViewLogOpensTheLogInTheTextEditorAndTellsNothing) {
    for (const bool starts : {true, false}) {
        launcher.starts = starts;
        core->ViewLog();
    }
    EXPECT_EQ(launcher.textEditorFiles, QStringList(2, LogPath()));
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(EventLogFile, AnUpgradeFailureIsOneLine) {
    core->Log().AppendUpgradeFailure(0x0A4D0009, "Upgrade fail");
    EXPECT_EQ(LogBytes(), std::string(kStartStamp) + " 10.77.0.9 Upgrade fail \r\n");
}

} // namespace
} // namespace fenwick::testing
