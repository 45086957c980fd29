#include "codec/device_record.h"
#include "core/lists/csv_text.h"
#include "core/lists/device_columns.h"
#include "core/lists/list_export.h"
#include "monitor_list_fixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace fenwick::testing {
namespace {

TEST(CsvText, QuotesAsRfc4180AndGuardsFormulaStarts) {
    struct Case {
        const char* what;
        QString text;
        QString field;
    };
    const Case cases[] = {
        {"plain", QStringLiteral("rack 2"), QStringLiteral("rack 2")},
        {"empty", QString(), QString()},
        {"comma", QStringLiteral("a,b"), QStringLiteral("\"a,b\"")},
        {"quotes doubled", QStringLiteral("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\"")},
        {"line feed", QStringLiteral("a\nb"), QStringLiteral("\"a\nb\"")},
        {"CR LF", QStringLiteral("a\r\nb"), QStringLiteral("\"a\r\nb\"")},
        {"equals", QStringLiteral("=1+2"), QStringLiteral("'=1+2")},
        {"plus", QStringLiteral("+1"), QStringLiteral("'+1")},
        {"minus", QStringLiteral("-1"), QStringLiteral("'-1")},
        {"at", QStringLiteral("@SUM(A1)"), QStringLiteral("'@SUM(A1)")},
        {"tab first: guarded, then quoted", QStringLiteral("\tx"), QStringLiteral("\"'\tx\"")},
        {"CR first: guarded, then quoted", QStringLiteral("\rx"), QStringLiteral("\"'\rx\"")},
        {"formula with quotes and comma", QStringLiteral("=HYPERLINK(\"u\",\"v\")"),
         QStringLiteral("\"'=HYPERLINK(\"\"u\"\",\"\"v\"\")\"")},
        {"formula sign later is harmless", QStringLiteral("a=b-c"), QStringLiteral("a=b-c")},
        {"after blanks", QStringLiteral("  =1+1"), QStringLiteral("'  =1+1")},
        {"after a line feed", QStringLiteral("\n=1+1"), QStringLiteral("\"\n'=1+1\"")},
        {"after a quotation mark", QStringLiteral("\"=1"), QStringLiteral("\"'\"\"=1\"")},
        {"after a control character", QStringLiteral("\x01@A1"), QStringLiteral("'\x01@A1")},
        {"after a semicolon", QStringLiteral("x;=1+1"), QStringLiteral("\"x;'=1+1\"")},
        {"after a semicolon and a blank", QStringLiteral("x; -1"), QStringLiteral("\"x;' -1\"")},
        {"after a tab", QStringLiteral("x\t+1"), QStringLiteral("\"x\t'+1\"")},
        {"every piece", QStringLiteral("=1;=2"), QStringLiteral("\"'=1;'=2\"")},
        {"after a line break inside", QStringLiteral("up\r\n-1"), QStringLiteral("\"up\r\n'-1\"")},
        {"semicolon alone is quoted", QStringLiteral("a;b"), QStringLiteral("\"a;b\"")},
        {"apostrophe first stays", QStringLiteral("'x"), QStringLiteral("'x")},
        {"Latin-1",
         QString::fromLatin1("Stra\xDF"
                             "e \xE9"),
         QString::fromLatin1("Stra\xDF"
                             "e \xE9")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CsvField(c.text), c.field) << c.what;
    }
    EXPECT_EQ(CsvRecord({QStringLiteral("a"), QStringLiteral("b,c"), QString()}),
              QStringLiteral("a,\"b,c\",\r\n"));
    EXPECT_EQ(CsvRecord({}), QStringLiteral("\r\n"));
}

TEST(CsvText, StatusImagesReadAsWords) {
    EXPECT_EQ(MonitorStatusText(kStatusImageNone), QStringLiteral("alive"));
    EXPECT_EQ(MonitorStatusText(kStatusImageNotAlive), QStringLiteral("not alive"));
    EXPECT_EQ(MonitorStatusText(kStatusImageWarning), QStringLiteral("unknown"));
    EXPECT_EQ(MonitorStatusText(7), QStringLiteral("unknown"));
}

class ListExportFile : public MonitorListFixture {
protected:
    // The file as Python's csv module reads it (UTF-8 after its byte-order mark, newline=''),
    // its cells separated by `separator`: one list of cells a record. Empty after a failure,
    // which the test reports.
    static std::vector<QStringList> ReadWithPython(const QString& path,
                                                   const QString& separator = QStringLiteral(",")) {
        static const QString kScript = QStringLiteral(
            "import csv, json, sys\n"
            "with open(sys.argv[1], newline='', encoding='utf-8-sig', errors='strict') as f:\n"
            "    json.dump(list(csv.reader(f, delimiter=sys.argv[2])), sys.stdout)\n");
        QProcess python;
        python.start(QStringLiteral("python3"), {QStringLiteral("-c"), kScript, path, separator});
        std::vector<QStringList> records;
        if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
            python.exitCode() != 0) {
            ADD_FAILURE() << "python3: " << python.readAllStandardError().toStdString();
            return records;
        }
        for (const QJsonValue& record : QJsonDocument::fromJson(python.readAll()).array()) {
            QStringList cells;
            for (const QJsonValue& cell : record.toArray()) {
                cells << cell.toString();
            }
            records.push_back(cells);
        }
        return records;
    }

    static QStringList Headings(const std::vector<ListViewModel::Column>& columns) {
        QStringList headings;
        for (const ListViewModel::Column& column : columns) {
            headings << column.heading;
        }
        return headings;
    }

    QString ExportPath() const { return root.path() + QStringLiteral("/lists.csv"); }
};

TEST_F(ListExportFile, HostileDeviceTextsReadBackAsTextThroughPythonsCsv) {
    // Texts as devices send them (8-bit), and the cells a spreadsheet must see.
    struct Hostile {
        const char* what;
        std::string text;
        QString cell;
    };
    const Hostile hostile[] = {
        {"quotes and comma", "say \"hi\", ok", QStringLiteral("say \"hi\", ok")},
        {"CR LF inside", "up\r\ndown", QStringLiteral("up\r\ndown")},
        {"LF inside", "up\ndown", QStringLiteral("up\ndown")},
        {"formula", "=1+2", QStringLiteral("'=1+2")},
        {"command", "=cmd|' /C calc'!A0", QStringLiteral("'=cmd|' /C calc'!A0")},
        {"plus", "+41 44 000", QStringLiteral("'+41 44 000")},
        {"minus", "-2+3", QStringLiteral("'-2+3")},
        {"at", "@SUM(A1:A9)", QStringLiteral("'@SUM(A1:A9)")},
        {"tab first", "\t=1", QStringLiteral("'\t'=1")},
        {"CR first", "\r=1", QStringLiteral("'\r'=1")},
        {"20 Latin-1 characters",
         "\xC4rger \xFC\xDF"
         "e Stra\xDF"
         "e 7\xE9\xFF",
         QString::fromLatin1("\xC4rger \xFC\xDF"
                             "e Stra\xDF"
                             "e 7\xE9\xFF")},
        {"quote only", "\"", QStringLiteral("\"")},
        {"empty", "", QString()},
    };
    ASSERT_EQ(QString::fromLatin1(hostile[10].text).size(), 20);

    // The Monitor List first (it takes every discovered device), one device per status image.
    Start();
    AgentReply watched[3] = {AgentReply::Numbered(200), AgentReply::Numbered(201),
                             AgentReply::Numbered(202)};
    watched[0].systemName = "=1+2";
    Monitor({watched[0], watched[1], watched[2]});
    ASSERT_EQ(core->MonitorList().RowCount(), 3);
    for (const auto& [index, image] :
         {std::pair{1, kStatusImageNotAlive}, std::pair{2, kStatusImageWarning}}) {
        DeviceRecord& entry = state->MonitorTable[static_cast<std::size_t>(index)];
        entry.ListState = kListStateHasRow;
        entry.StatusImage = image;
        core->ShowMonitorRow(index);
    }
    ASSERT_EQ(core->MonitorList().RowCount(), 3);
    for (std::size_t i = 0; i < std::size(hostile); ++i) {
        AgentReply agent = AgentReply::Numbered(static_cast<int>(i) + 1);
        agent.product = agent.systemName = agent.location = hostile[i].text;
        Receive(agent);
    }
    ASSERT_EQ(core->DiscoveryList().RowCount(), static_cast<int>(std::size(hostile)));

    prompts.fileNames.push_back(ExportPath());
    core->ExportLists();
    ASSERT_TRUE(prompts.boxes.empty()) << prompts.boxes[0].text.toStdString();
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].kind, QStringLiteral("save"));
    EXPECT_EQ(prompts.fileDialogs[0].filter, QStringLiteral("CSV File (*.csv)"));
    EXPECT_EQ(prompts.fileDialogs[0].proposedName, QStringLiteral("fenwick-lists.csv"));
    EXPECT_TRUE(ReadFile(ExportPath()).size() > 0);
    EXPECT_EQ(QDir(root.path()).entryList({QStringLiteral("lists.csv*")}, QDir::Files),
              QStringList{QStringLiteral("lists.csv")})
        << "no temporary file is left behind";

    const std::vector<QStringList> records = ReadWithPython(ExportPath());
    const std::size_t discoveryRows = std::size(hostile);
    ASSERT_EQ(records.size(), 2 + discoveryRows + 1 + 2 + 3);
    EXPECT_EQ(records[0], QStringList{QStringLiteral("Discovery List")});
    EXPECT_EQ(records[1], Headings(DiscoveryColumns()));
    for (std::size_t i = 0; i < discoveryRows; ++i) {
        SCOPED_TRACE(hostile[i].what);
        const QStringList& cells = records[2 + i];
        ASSERT_EQ(cells.size(), 9);
        EXPECT_EQ(cells[ColumnOf(kDiscoveryFields, DeviceField::Mac)],
                  MacOf(static_cast<int>(i) + 1));
        EXPECT_EQ(cells[ColumnOf(kDiscoveryFields, DeviceField::Ip)],
                  IpOf(static_cast<int>(i) + 1));
        for (DeviceField field :
             {DeviceField::Product, DeviceField::SystemName, DeviceField::Location}) {
            EXPECT_EQ(cells[ColumnOf(kDiscoveryFields, field)], hostile[i].cell);
        }
    }
    std::size_t at = 2 + discoveryRows;
    EXPECT_EQ(records[at++], QStringList()) << "a blank line between the lists";
    EXPECT_EQ(records[at++], QStringList{QStringLiteral("Monitor List")});
    EXPECT_EQ(records[at++], Headings(MonitorColumns()));
    const char* statuses[] = {"alive", "not alive", "unknown"};
    for (int row = 0; row < 3; ++row, ++at) {
        SCOPED_TRACE(row);
        ASSERT_EQ(records[at].size(), 10);
        EXPECT_EQ(records[at][0], QLatin1String(statuses[row]));
        EXPECT_EQ(records[at][ColumnOf(kMonitorFields, DeviceField::Ip)], IpOf(200 + row));
        EXPECT_EQ(records[at][ColumnOf(kMonitorFields, DeviceField::SystemName)],
                  row == 0 ? QStringLiteral("'=1+2") : QStringLiteral("core"));
    }

    // Every record ends with CR LF, line breaks inside cells included as sent.
    const Bytes bytes = ReadFile(ExportPath());
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_TRUE(text.ends_with("\r\n"));
    EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF"
                                 "Discovery List\r\nMAC Address,IP Address,"))
        << "UTF-8 with its byte-order mark";
}

// Spreadsheets split on ";" where that is the locale's list separator, and some on tabs; they
// pass over blanks and control characters before they look for a formula. Whichever way the
// file is cut, no cell reads as a formula.
TEST_F(ListExportFile, NoCellReadsAsAFormulaWhateverTheSeparator) {
    const char* hostile[] = {
        "x;=1+1",      "x; =1+1",          " =1+1",
        "\n=1+1",      "\r\n+1",           "\x01@SUM(A1)",
        "a\t-2",       "=1;=2;=3",         ";+1",
        "x;\x7f=1",    "up\r\n=1+1",       "x\";=1+1",
        "x,\"=1\";=2", "\"x;\"=cmd|' /C'", "=HYPERLINK(\"h\";\"v\")",
    };
    Start();
    for (std::size_t i = 0; i < std::size(hostile); ++i) {
        AgentReply agent = AgentReply::Numbered(static_cast<int>(i) + 1);
        agent.product = agent.systemName = agent.location = hostile[i];
        Receive(agent);
    }
    ASSERT_EQ(core->DiscoveryList().RowCount(), static_cast<int>(std::size(hostile)));
    prompts.fileNames.push_back(ExportPath());
    core->ExportLists();
    ASSERT_TRUE(prompts.boxes.empty());

    const auto isFormula = [](const QString& cell) {
        for (const QChar c : cell) {
            if (c.unicode() > 0x20 && c.unicode() != 0x7F) {
                return c == u'=' || c == u'+' || c == u'-' || c == u'@';
            }
        }
        return false;
    };
    for (const QString& separator :
         {QStringLiteral(","), QStringLiteral(";"), QStringLiteral("\t")}) {
        const std::vector<QStringList> records = ReadWithPython(ExportPath(), separator);
        ASSERT_FALSE(records.empty());
        for (const QStringList& record : records) {
            for (const QString& cell : record) {
                EXPECT_FALSE(isFormula(cell))
                    << "separator " << separator.toStdString() << ": " << cell.toStdString();
            }
        }
    }
    // Read as it is written, every text comes back whole, with its apostrophes.
    const std::vector<QStringList> records = ReadWithPython(ExportPath());
    for (std::size_t i = 0; i < std::size(hostile); ++i) {
        ASSERT_EQ(records.at(2 + i).size(), 9);
        QString cell = records[2 + i][ColumnOf(kDiscoveryFields, DeviceField::SystemName)];
        EXPECT_EQ(cell.remove(u'\''), QString::fromLatin1(hostile[i]).remove(u'\'')) << hostile[i];
    }
}

TEST_F(ListExportFile, RowsComeInTheOrderShown) {
    Start();
    Monitor({AgentReply::Numbered(1), AgentReply::Numbered(2), AgentReply::Numbered(3)});
    core->SortMonitorList(ColumnOf(kMonitorFields, DeviceField::Ip)); // first click: descending
    prompts.fileNames.push_back(ExportPath());
    core->ExportLists();
    const std::vector<QStringList> records = ReadWithPython(ExportPath());
    ASSERT_EQ(records.size(), 2u + 1 + 2 + 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(records[5 + row].value(ColumnOf(kMonitorFields, DeviceField::Ip)), IpOf(3 - row));
    }
}

TEST_F(ListExportFile, CancelWritesNothingAndAFailureIsToldKeepingThePreviousFile) {
    Start();
    Monitor({AgentReply::Numbered(1)});
    core->ExportLists(); // no file chosen: cancelled
    EXPECT_FALSE(QFile::exists(ExportPath()));
    EXPECT_TRUE(prompts.boxes.empty());

    // A folder that cannot exist: its parent is a regular file.
    WriteFile(ExportPath(), Bytes{'o', 'l', 'd'});
    const QString inside = ExportPath() + QStringLiteral("/lists.csv");
    prompts.fileNames.push_back(inside);
    core->ExportLists();
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_TRUE(
        prompts.boxes[0].text.startsWith(QStringLiteral("Lists file cannot be written: ") + inside))
        << prompts.boxes[0].text.toStdString();
    EXPECT_EQ(prompts.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(prompts.boxes[0].icon, UserPrompts::Icon::Error);
    EXPECT_EQ(ReadFile(ExportPath()), (Bytes{'o', 'l', 'd'}));
}

} // namespace
} // namespace fenwick::testing
