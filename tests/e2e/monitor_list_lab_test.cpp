// The monitor list against the lab's switches, through the real window, sockets and files:
// devices found by discovery and added to the monitor list are saved to monitor.cfg, come back
// after a restart with the same rows, and the file holds them in the record layout.
#include "codec/packet_header.h"
#include "codec/text_forms.h"
#include "lab_program.h"

#include <QAction>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace fenwick::testing {
namespace {

// The monitor list file's record, read at its own offsets rather than through DeviceRecord,
// so that a change of the struct cannot hide a change of the file.
inline constexpr std::size_t kRecordSize = 272;
struct TextField {
    const char* name;
    std::size_t offset;
    std::size_t width;
};
inline constexpr TextField kMacText{"MacText", 4, 16};
inline constexpr TextField kProductName{"ProductName", 20, 41};
inline constexpr TextField kIpText{"IpText", 103, 20};
inline constexpr std::size_t kIpAddressOffset = 228;
inline constexpr std::size_t kPaddingOffsets[] = {225, 226, 227, 270, 271};

// The text of a field up to its zero byte; reports a field without one, or with bytes after it
// that are not zero (this program writes them zero).
std::string ReadText(const QByteArray& record, const TextField& field) {
    const char* begin = record.constData() + field.offset;
    const char* end = std::find(begin, begin + field.width, '\0');
    EXPECT_NE(end, begin + field.width) << field.name << " has no terminating zero";
    EXPECT_TRUE(std::all_of(end, begin + field.width, [](char c) { return c == '\0'; }))
        << field.name << " has bytes after its text";
    return std::string(begin, end);
}

std::uint32_t ReadLittleEndian32(const QByteArray& record, std::size_t offset) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(record.constData() + offset);
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
           (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
}

// Everything a Monitor List row shows: its status image and every column's text.
using ShownRow = std::pair<int, QStringList>;

class MonitorListInTheLab : public LabProgram {
protected:
    QString MonitorFilePath() const { return ConfigFolder() + QStringLiteral("/monitor.cfg"); }

    // Ends the program and starts it again on the same cfg folder, as an operator would.
    void Restart() {
        program->Window().close();
        program.reset();
        program = ShowProgram(ConfigFolder(), &prompts);
        ASSERT_NE(program, nullptr) << "the main window did not come up";
    }

    void TriggerMenuItem(const QString& text) {
        for (QAction* action : program->Window().findChildren<QAction*>()) {
            // Menu texts carry their mnemonics' "&".
            if (QString(action->text()).remove(u'&') == text) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no menu item " << text.toStdString();
    }

    std::vector<ShownRow> MonitorRows() {
        std::vector<ShownRow> rows;
        ListViewModel& list = program->Core().MonitorList();
        for (int row = 0; row < list.RowCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < list.columnCount(); ++column) {
                texts << list.Text(row, column);
            }
            rows.emplace_back(list.Image(row), texts);
        }
        return rows;
    }

    const sim::SwitchSettings* SwitchWithMac(const std::string& mac) const {
        for (const sim::SwitchSettings& device : lab.switches) {
            if (MacText(device.mac) == mac) {
                return &device;
            }
        }
        return nullptr;
    }
};

TEST_F(MonitorListInTheLab, SavedListComesBackAfterARestartInTheRecordLayout) {
    // Switches by position in the lab's settings (from 0); the lab holds a switch in loader mode
    // as the 5th and one of another protocol version as the 11th, which answer with less.
    struct Case {
        const char* name;
        std::vector<std::size_t> chosen;
    };
    const Case cases[] = {
        {"a few, with the loader and the foreign switch", {1, 4, 6, 10, 15}},
        {"every switch", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"none", {}},
    };
    ASSERT_EQ(lab.switches.size(), 16u) << "the cases are written for the lab of 16 switches";
    ASSERT_TRUE(lab.switches[4].loader);
    ASSERT_NE(lab.switches[10].protocolVersion, kProtocolVersion);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(MonitorFilePath());
        Restart();
        ASSERT_EQ(program->Core().MonitorList().RowCount(), 0);
        DiscoverEverySwitch();

        std::set<std::string> chosenMacs;
        for (std::size_t index : c.chosen) {
            const std::string mac = MacText(lab.switches[index].mac);
            chosenMacs.insert(mac);
            const std::optional<int> row =
                program->Core().DiscoveryList().FindRow(0, QString::fromStdString(mac));
            ASSERT_TRUE(row.has_value()) << mac;
            program->Core().DiscoverySelection().SelectRow(*row);
        }
        Button(QStringLiteral("Add to monitor list"))->click();
        const std::vector<ShownRow> before = MonitorRows();
        ASSERT_EQ(before.size(), c.chosen.size());
        EXPECT_EQ(program->Core().DiscoveryList().RowCount(),
                  static_cast<int>(lab.switches.size() - c.chosen.size()))
            << "added devices leave the Discovery List";

        TriggerMenuItem(QStringLiteral("Monitor save"));
        Restart();
        EXPECT_EQ(MonitorRows(), before);

        // The file: one record per row, in the order of the rows, each as the lab's switch is.
        QFile file(MonitorFilePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(static_cast<std::size_t>(bytes.size()), kRecordSize * before.size());
        std::set<std::string> savedMacs;
        for (std::size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE("record " + std::to_string(i));
            const QByteArray record =
                bytes.mid(static_cast<qsizetype>(i * kRecordSize), kRecordSize);
            const std::string mac = ReadText(record, kMacText);
            const sim::SwitchSettings* device = SwitchWithMac(mac);
            ASSERT_NE(device, nullptr) << "no lab switch has MAC " << mac;
            savedMacs.insert(mac);
            const bool fullAnswer = !device->loader && device->protocolVersion == kProtocolVersion;
            EXPECT_EQ(ReadText(record, kIpText), AddressText(device->ip));
            EXPECT_EQ(ReadLittleEndian32(record, kIpAddressOffset), device->ip);
            EXPECT_EQ(ReadText(record, kProductName), fullAnswer ? device->product : "");
            for (std::size_t offset : kPaddingOffsets) {
                EXPECT_EQ(record[static_cast<qsizetype>(offset)], '\0') << "padding at " << offset;
            }
            EXPECT_EQ(QString::fromStdString(AddressText(device->ip)), before[i].second[1])
                << "records stand in the order of the rows";
        }
        EXPECT_EQ(savedMacs, chosenMacs);
    }
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text.toStdString();
}

} // namespace
} // namespace fenwick::testing
