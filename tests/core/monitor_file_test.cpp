#include "codec/monitor_records.h"
#include "monitor_list_fixture.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace fenwick::testing {
namespace {

const QString kFilter = QStringLiteral("config File (*.cfg)");

std::vector<DeviceRecord> Numbered(int first, int last) {
    std::vector<DeviceRecord> records;
    for (int n = first; n <= last; ++n) {
        records.push_back(StoredRecordOf(AgentReply::Numbered(n)));
    }
    return records;
}

// Lowers the largest file this process may write, so that a write fails half-way with EFBIG,
// as on a full disk; that stops the superuser too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

// For the length of a scope the superuser writes only where anybody may, as an operator's
// account would; an ordinary user stays as it is.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0) {
            dropped_ = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
            EXPECT_TRUE(dropped_);
        }
    }
    ~AsOrdinaryUser() {
        if (dropped_) {
            EXPECT_EQ(::seteuid(0), 0);
            EXPECT_EQ(::setegid(0), 0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

private:
    bool dropped_ = false;
};

class MonitorFile : public MonitorListFixture {
protected:
    void ExpectOneBox(const QString& text, const QString& caption, UserPrompts::Icon icon) {
        ASSERT_EQ(BoxTexts(), QStringList{text});
        EXPECT_EQ(prompts.boxes[0].caption, caption);
        EXPECT_EQ(prompts.boxes[0].icon, icon);
    }

    // Asserts one error box that names `path`.
    void ExpectErrorNaming(const QString& path) {
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_TRUE(prompts.boxes[0].text.contains(path)) << prompts.boxes[0].text.toStdString();
        EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Error);
    }

    void LoadFile(const QString& path) {
        prompts.fileNames.push_back(path);
        core->MonitorLoad();
    }

    QString Other() const { return root.path() + QStringLiteral("/other.cfg"); }
};

TEST_F(MonitorFile, SaveWritesTheTableInItsOrderAndTheNextStartRestoresIt) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    DeviceRecord& notAlive = state->MonitorTable[1];
    notAlive.ListState = kListStateNotAlive;
    notAlive.StatusImage = 1;
    notAlive.MissCount = 3;
    notAlive.Answered = 0;
    core->ShowMonitorRow(1);
    core->SortMonitorList(kIpColumn); // rows now 3, 2, 1

    core->MonitorSave();

    const Bytes saved = ReadFile(MonitorPath());
    EXPECT_EQ(saved, TableBytes());
    EXPECT_EQ(saved.size(), 3 * sizeof(DeviceRecord));
    EXPECT_EQ(FieldText(RecordAt(saved, 0).IpText), AddressText(AgentReply::Numbered(1).ip));
    EXPECT_TRUE(prompts.boxes.empty());

    Restart();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(1), IpOf(2), IpOf(3)}));
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, 1, -1}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1, 2}));
    for (std::size_t slot = 0; slot < 3; ++slot) {
        DeviceRecord expected = RecordAt(saved, slot);
        expected.ListState = kListStateNoRow; // liveness starts afresh
        expected.MissCount = 0;
        expected.Answered = 1;
        EXPECT_TRUE(SameBytes(state->MonitorTable[slot], expected)) << "slot " << slot;
    }
}

TEST_F(MonitorFile, FileDialogsProposeTheirNamesAndCancelDoesNothing) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2)});
    prompts.fileNames.push_back(Other());
    core->MonitorSaveAs();
    EXPECT_EQ(ReadFile(Other()), TableBytes());

    core->MonitorSaveAs(); // cancelled
    core->MonitorLoad();   // cancelled
    ASSERT_EQ(prompts.fileDialogs.size(), 3u);
    const std::pair<const char*, const char*> expected[] = {
        {"save", "Default.cfg"}, {"save", "Default.cfg"}, {"open", "monitor.cfg"}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(prompts.fileDialogs[i].kind, QLatin1String(expected[i].first)) << i;
        EXPECT_EQ(prompts.fileDialogs[i].filter, kFilter) << i;
        EXPECT_EQ(prompts.fileDialogs[i].proposedName, QLatin1String(expected[i].second)) << i;
    }
    EXPECT_FALSE(QFile::exists(MonitorPath()));
    EXPECT_EQ(core->MonitorList().RowCount(), 2);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorFile, AnEmptyListSavesAnEmptyFileThatLoadsNothing) {
    Start();
    core->MonitorSave();
    ASSERT_TRUE(QFile::exists(MonitorPath()));
    EXPECT_TRUE(ReadFile(MonitorPath()).empty());

    LoadFile(MonitorPath());
    Restart();
    EXPECT_EQ(core->MonitorList().RowCount(), 0);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorFile, OnlyWholeRecordsAreAccepted) {
    for (const std::size_t extra : {std::size_t{1}, std::size_t{271}, std::size_t{1 + 272}}) {
        SCOPED_TRACE(::testing::Message() << "272 + " << extra << " bytes");
        Bytes file = BytesOf(Numbered(1, 1));
        file.resize(file.size() + extra, 0x55);
        WriteFile(MonitorPath(), file);

        Restart(); // at start-up: told, and the table stays empty
        ExpectOneBox(QStringLiteral("Config File Error"), QStringLiteral("Error"),
                     UserPrompts::Icon::Error);
        EXPECT_EQ(core->MonitorList().RowCount(), 0);
        EXPECT_TRUE(TableIps().isEmpty());

        QFile::rename(MonitorPath(), Other());
        Monitor({AgentReply::Numbered(7)});
        const Bytes before = TableBytes();
        prompts.boxes.clear();
        LoadFile(Other()); // on "Monitor load": told, and the list stays as it was
        ExpectOneBox(QStringLiteral("Config File Error"), QStringLiteral("Error"),
                     UserPrompts::Icon::Error);
        EXPECT_EQ(Column(core->MonitorList(), kIpColumn), QStringList{IpOf(7)});
        EXPECT_EQ(TableBytes(), before);
        QFile::remove(Other());
    }
}

TEST_F(MonitorFile, StartUpReadsAtMost256Records) {
    const std::vector<DeviceRecord> records = Numbered(1, 300);
    WriteFile(MonitorPath(), BytesOf(records));
    Start();
    EXPECT_TRUE(prompts.boxes.empty());
    ASSERT_EQ(core->MonitorList().RowCount(), 256);
    EXPECT_EQ(core->MonitorList().Text(255, kIpColumn), IpOf(256));
    EXPECT_EQ(TableIps().size(), 256);
}

TEST_F(MonitorFile, StartUpRestoresTheListBeforeTheSocketsOpen) {
    WriteFile(MonitorPath(), Bytes(5, 0));
    network.failCreate = true;
    Start();
    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("Config File Error"),
                                       QStringLiteral("Creat Socket error"),
                                       QStringLiteral("Creat Socket error")}));
}

TEST_F(MonitorFile, ARejectedDefinitionFileStillRestoresTheList) {
    WriteDefinition({1, 2, 3, 4});
    WriteFile(MonitorPath(), BytesOf(Numbered(1, 2)));
    Start();
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn), (QStringList{IpOf(1), IpOf(2)}));
}

TEST_F(MonitorFile, LoadingTheFileJustSavedAddsNothing) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    core->MonitorSave();
    const Bytes before = TableBytes();

    LoadFile(MonitorPath());

    EXPECT_EQ(BoxTexts(), QStringList(3, QStringLiteral("Duplicate ip in monitor list")));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(TableBytes(), before);
}

TEST_F(MonitorFile, LoadSkipsDuplicatesAndAppendsTheRest) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    std::vector<DeviceRecord> records;
    records.push_back(StoredRecordOf(AgentReply::Numbered(1))); // same address
    AgentReply renumbered = AgentReply::Numbered(1);
    renumbered.ip = AgentReply::Numbered(2).ip;
    records.push_back(StoredRecordOf(renumbered)); // same device at another address
    records.push_back(StoredRecordOf(AgentReply::Numbered(5)));
    AgentReply sameAddress = AgentReply::Numbered(6);
    sameAddress.ip = AgentReply::Numbered(5).ip;
    records.push_back(StoredRecordOf(sameAddress)); // an address taken earlier from this file
    for (int n : {7, 8}) {
        DeviceRecord byAddress =
            StoredRecordOf(AgentReply::Numbered(n)); // added by address: no MAC yet
        SetFieldText(byAddress.MacText, "");
        records.push_back(byAddress);
    }
    records[2].ListState = 7;
    records[2].MissCount = 4;
    records[2].Answered = 0;
    WriteFile(Other(), BytesOf(records));

    LoadFile(Other());

    EXPECT_EQ(BoxTexts(), (QStringList{QStringLiteral("Duplicate ip in monitor list"),
                                       QStringLiteral("Duplicate device in monitor list"),
                                       QStringLiteral("Duplicate ip in monitor list")}));
    EXPECT_EQ(prompts.boxes[1].caption, QStringLiteral("Warning"));
    EXPECT_EQ(prompts.boxes[1].icon, UserPrompts::Icon::Warning);
    EXPECT_EQ(Column(core->MonitorList(), kIpColumn),
              (QStringList{IpOf(1), IpOf(5), IpOf(7), IpOf(8)}));
    EXPECT_EQ(TableIps(), (QStringList{IpOf(1), IpOf(5), IpOf(7), IpOf(8)}));
    EXPECT_EQ(Keys(core->MonitorList()), (std::vector<int>{0, 1, 2, 3}));
    DeviceRecord expected = records[2];
    expected.ListState = kListStateNoRow;
    expected.MissCount = 0;
    expected.Answered = 1;
    EXPECT_TRUE(SameBytes(state->MonitorTable[1], expected));
}

TEST_F(MonitorFile, LoadStopsAtAFullTable) {
    WriteFile(MonitorPath(), BytesOf(Numbered(1, 255)));
    Start();
    WriteFile(Other(), BytesOf(Numbered(300, 302)));

    LoadFile(Other());

    EXPECT_EQ(BoxTexts(), QStringList(2, QStringLiteral("out of 256 device in monitor list")));
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Error"));
    ASSERT_EQ(core->MonitorList().RowCount(), 256);
    EXPECT_EQ(core->MonitorList().Text(255, kIpColumn), IpOf(300));
}

TEST_F(MonitorFile, StartUpShowsOnlyTheNotAliveImageWhileLoadKeepsTheStoredOne) {
    std::vector<DeviceRecord> records = Numbered(1, 4);
    const int stored[] = {-1, 0, 1, 7};
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].StatusImage = stored[i];
    }
    WriteFile(Other(), BytesOf(records));
    WriteFile(MonitorPath(), BytesOf(records));

    Start();
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, -1, 1, -1}));
    EXPECT_EQ(state->MonitorTable[1].StatusImage, -1);

    QFile::remove(MonitorPath());
    Restart();
    LoadFile(Other());
    EXPECT_EQ(Images(core->MonitorList()), (std::vector<int>{-1, 0, 1, 7}));
    EXPECT_EQ(state->MonitorTable[1].StatusImage, 0);
    EXPECT_TRUE(prompts.boxes.empty());
}

TEST_F(MonitorFile, TextsWithoutAZeroByteStayInsideTheirFields) {
    DeviceRecord record = StoredRecordOf(AgentReply::Numbered(1));
    record.ListState = kListStateNoRow; // as a start-up read leaves it, so it saves back alike
    for (auto field : {&DeviceRecord::IpText, &DeviceRecord::TrapIpText,
                       &DeviceRecord::SubnetMaskText, &DeviceRecord::GatewayText}) {
        std::memset(record.*field, '9', sizeof(record.*field));
    }
    std::memset(record.MacText, 'f', sizeof record.MacText);
    std::memset(record.ProductName, 'P', sizeof record.ProductName);
    std::memset(record.SystemName, 'S', sizeof record.SystemName);
    std::memset(record.Location, 'L', sizeof record.Location);
    const Bytes file = BytesOf(std::span<const DeviceRecord>(&record, 1));
    WriteFile(MonitorPath(), file);

    Start();
    ASSERT_EQ(core->MonitorList().RowCount(), 1);
    const ListViewModel& list = core->MonitorList();
    EXPECT_EQ(list.Text(0, kIpColumn), QString(20, QLatin1Char('9')));
    EXPECT_EQ(list.Text(0, kMacColumn), QString(16, QLatin1Char('f')));
    EXPECT_EQ(list.Text(0, 4), QString(41, QLatin1Char('P')));
    EXPECT_EQ(list.Text(0, kSystemNameColumn), QString(21, QLatin1Char('S')));
    EXPECT_EQ(list.Text(0, kLocationColumn), QString(21, QLatin1Char('L')));
    EXPECT_EQ(list.Text(0, 9), QString(20, QLatin1Char('9')));

    LoadFile(MonitorPath()); // the bounded texts still find the entry
    EXPECT_EQ(BoxTexts(), QStringList{QStringLiteral("Duplicate ip in monitor list")});
    core->MonitorSave();
    EXPECT_EQ(ReadFile(MonitorPath()), file) << "written back as stored";
}

TEST_F(MonitorFile, AFailedSaveKeepsThePreviousFileAndSaysWhy) {
    const Bytes previous = BytesOf(Numbered(1, 1));
    WriteFile(MonitorPath(), previous);
    Start();
    Monitor({AgentReply::Numbered(2), AgentReply::Numbered(3), AgentReply::Numbered(4),
             AgentReply::Numbered(5)});
    ASSERT_EQ(core->MonitorList().RowCount(), 5);

    {
        // Half-way: room for less than the new list.
        const FileSizeLimit limit(2 * sizeof(DeviceRecord));
        core->MonitorSave();
    }
    ExpectErrorNaming(MonitorPath());
    EXPECT_EQ(ReadFile(MonitorPath()), previous);
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files),
              (QStringList{QStringLiteral("define.ecf"), QStringLiteral("monitor.cfg")}))
        << "no temporary file is left behind";

    // A folder that cannot exist: its parent is a regular file.
    prompts.boxes.clear();
    const QString inside = MonitorPath() + QStringLiteral("/list.cfg");
    prompts.fileNames.push_back(inside);
    core->MonitorSaveAs();
    ExpectErrorNaming(inside);
    EXPECT_EQ(ReadFile(MonitorPath()), previous);

    // The cfg folder cannot be made: a file stands in its place.
    prompts.boxes.clear();
    ASSERT_TRUE(QDir(Folder()).removeRecursively());
    WriteFile(Folder(), Bytes{1});
    core->MonitorSave();
    ExpectErrorNaming(MonitorPath());
    ASSERT_TRUE(QFile::remove(Folder()));
}

TEST_F(MonitorFile, SaveMakesTheFolderOfAnInstalledCopy) {
    // As ~/.config/fenwick before the first save: neither it nor its parent exists yet, and
    // define.ecf is the site's.
    const QString home = root.path() + QStringLiteral("/home");
    configFolder = home + QStringLiteral("/.config/fenwick");
    siteFolder = Folder();
    Start();
    EXPECT_TRUE(prompts.boxes.empty());
    Monitor({AgentReply::Numbered(1)});
    ASSERT_FALSE(QFileInfo::exists(home)) << "starting makes nothing";

    core->MonitorSave();
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_EQ(ReadFile(configFolder + QStringLiteral("/monitor.cfg")), TableBytes());
    EXPECT_EQ(QFileInfo(configFolder).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                   QFileDevice::WriteOther),
              QFileDevice::Permissions())
        << "the operator's folder is private";
    EXPECT_FALSE(QFileInfo::exists(Folder() + QStringLiteral("/monitor.cfg")))
        << "nothing is written to the site folder";
}

TEST_F(MonitorFile, WhereOnlyTheFileIsWritableItIsWrittenInPlaceAndStillChecked) {
    WriteFile(MonitorPath(), BytesOf(Numbered(1, 1)));
    Start();
    Monitor({AgentReply::Numbered(2), AgentReply::Numbered(3)});
    // An installed copy: the administrator opened the file to the operator, not its folder.
    constexpr auto kReadable = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                               QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                               QFileDevice::ReadOther | QFileDevice::ExeOther;
    constexpr auto kWritable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                               QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                               QFileDevice::ReadOther | QFileDevice::WriteOther;
    ASSERT_TRUE(QFile::setPermissions(root.path(), kReadable | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(Folder(), kReadable));
    ASSERT_TRUE(QFile::setPermissions(MonitorPath(), kWritable));

    {
        const AsOrdinaryUser user;
        core->MonitorSave();
    }
    EXPECT_TRUE(prompts.boxes.empty()) << BoxTexts().join(u'|').toStdString();
    EXPECT_EQ(ReadFile(MonitorPath()), TableBytes());

    {
        const AsOrdinaryUser user;
        const FileSizeLimit limit(sizeof(DeviceRecord));
        core->MonitorSave();
    }
    ExpectErrorNaming(MonitorPath());
    ASSERT_TRUE(QFile::setPermissions(Folder(), kReadable | QFileDevice::WriteOwner));
}

TEST_F(MonitorFile, AnUnreadableFileIsToldAndChangesNothing) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    const Bytes before = TableBytes();
    const QString folder = root.path() + QStringLiteral("/folder.cfg");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const QString& path : {root.path() + QStringLiteral("/gone.cfg"), folder}) {
        SCOPED_TRACE(path.toStdString());
        prompts.boxes.clear();
        LoadFile(path);
        ExpectErrorNaming(path);
        EXPECT_EQ(TableBytes(), before);
        EXPECT_EQ(core->MonitorList().RowCount(), 1);
    }

    // At start-up only a missing monitor.cfg goes without a word.
    ASSERT_TRUE(QDir().mkpath(MonitorPath()));
    Restart();
    ExpectErrorNaming(MonitorPath());
    EXPECT_EQ(core->MonitorList().RowCount(), 0);
}

TEST(MonitorRecords, AFileHoldsWholeRecordsOfAtMostOneTable) {
    struct Case {
        std::size_t size;
        std::optional<std::size_t> count; // nothing: not whole records
    };
    const std::size_t table = kDeviceTableSlots * sizeof(DeviceRecord);
    const Case cases[] = {
        {0, 0},       {272, 1},         {271, std::nullopt}, {273, std::nullopt},
        {table, 256}, {table + 1, 256}, {table + 272, 256},  {table - 1, std::nullopt},
    };
    for (const Case& c : cases) {
        Bytes bytes(c.size);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        }
        const std::optional<std::vector<DeviceRecord>> records = DecodeMonitorFile(bytes);
        ASSERT_EQ(records.has_value(), c.count.has_value()) << c.size;
        if (!records) {
            continue;
        }
        ASSERT_EQ(records->size(), *c.count) << c.size;
        EXPECT_EQ(BytesOf(*records), Bytes(bytes.begin(), bytes.begin() + *c.count * 272))
            << c.size;
        EXPECT_EQ(EncodeMonitorFile(*records), BytesOf(*records)) << c.size;
    }
}

} // namespace
} // namespace fenwick::testing
