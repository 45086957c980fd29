// Traps from the lab's switches, through the real sockets and windows: a trap from a monitored
// switch is logged byte for byte, stored, listed in the trap window and turns the
// TrapIndicator red; a trap from any other address leaves no trace.
#include "codec/device_record.h"
#include "core/support/latin1.h"
#include "event_log_file.h"
#include "lab_program.h"
#include "windows/trap_info_dlg.h"

#include <QApplication>
#include <QTreeView>
#include <cstring>

namespace fenwick::testing {
namespace {

// The lab's switches by position in trap_lab_switches.conf.
const std::vector<std::size_t> kMonitored = {0, 1, 2, 3};
const std::vector<std::size_t> kNotMonitored = {4, 5, 6};

constexpr std::size_t kStoredTextLimit = 255;

struct ShownTrap {
    int image;
    QString time;
    QString ip;
    QString event;
    bool operator==(const ShownTrap&) const = default;
};

void PrintTo(const ShownTrap& trap, std::ostream* out) {
    *out << "{image " << trap.image << ", " << trap.time.toStdString() << ", "
         << trap.ip.toStdString() << ", \"" << trap.event.toStdString() << "\"}";
}

class TrapsInTheLab : public LabProgram {
protected:
    void SetUp() override {
        LabProgram::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        QObject::connect(&program->Core().Indicator(), &TrapIndicator::trapIndicatorChanged,
                         &program->Core(), [this](bool red) { indicator.push_back(red); });
    }

    std::string Ip(std::size_t position) const { return AddressText(lab.switches.at(position).ip); }
    std::vector<std::string> Log() const {
        return ReadLogLines(ConfigFolder() + QStringLiteral("/syslog.log"));
    }
    ProgramState& State() { return program->Core().State(); }

    // Presses "View trap" and reads the trap window's list while it is open.
    std::vector<ShownTrap> ViewTraps() {
        std::vector<ShownTrap> shown;
        bool opened = false;
        QTimer::singleShot(0, qApp, [&] {
            auto* window = qobject_cast<CTrapInfoDlg*>(QApplication::activeModalWidget());
            if (window == nullptr) {
                return;
            }
            opened = true;
            const QAbstractItemModel& list = *window->findChild<QTreeView*>()->model();
            for (int row = 0; row < list.rowCount(); ++row) {
                shown.push_back({list.index(row, 0).data(ListViewModel::kStatusImageRole).toInt(),
                                 list.index(row, 1).data().toString(),
                                 list.index(row, 2).data().toString(),
                                 list.index(row, 3).data().toString()});
            }
            window->accept();
        });
        Button(QStringLiteral("View trap"))->click();
        EXPECT_TRUE(opened) << "no trap window";
        return shown;
    }

    std::vector<bool> indicator; // each change of the TrapIndicator: true red, false green
};

TEST_F(TrapsInTheLab, TrapsFromOtherAddressesLeaveNoTrace) {
    ASSERT_EQ(lab.switches.size(), kMonitored.size() + kNotMonitored.size());
    // Addresses that begin with a monitored one's text must not pass for it.
    ASSERT_TRUE(Ip(4).starts_with(Ip(0)) && Ip(5).starts_with(Ip(1)));
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches(kMonitored));

    for (std::size_t position : kNotMonitored) {
        ASSERT_TRUE(Control("trap " + Ip(position) + " Port 1 link down"));
    }
    // Any answer to a discovery comes in on the socket the traps came in on, behind them; the
    // last switch's address shares no beginning with a monitored one's.
    Button(QStringLiteral("Discovery"))->click();
    const QString last = QString::fromStdString(Ip(kNotMonitored.back()));
    const auto listed = [&] {
        return program->Core()
            .DiscoveryList()
            .FindRow(ColumnOf(kDiscoveryFields, DeviceField::Ip), last)
            .has_value();
    };
    ASSERT_FALSE(listed()) << "a discovery starts with an empty list";
    ASSERT_TRUE(WaitUntil(listed));

    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(State().TrapCount, 0);
    const TrapEntry zero = ZeroTrapEntry();
    EXPECT_EQ(std::memcmp(&State().TrapTable[0], &zero, sizeof zero), 0);
    EXPECT_TRUE(indicator.empty()) << "the TrapIndicator changed";
    EXPECT_TRUE(ViewTraps().empty());
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text.toStdString();
}

TEST_F(TrapsInTheLab, TrapsFromMonitoredSwitchesAreLoggedStoredAndListed) {
    std::string longText;
    for (std::size_t i = 0; i < 300; ++i) {
        longText += static_cast<char>('a' + i % 26);
    }
    struct Case {
        const char* what;
        std::size_t sender; // position in the lab's settings
        std::string text;
    };
    // In arrival order.
    const std::vector<Case> cases = {
        {"plain text", 0, "Port 3 link down"},
        {"blanks and punctuation as sent", 1, "Fan 2:  4500 rpm < 5000 (limit); check/replace"},
        // Split where a letter would otherwise extend the hexadecimal escape.
        {"8-bit characters", 2,
         "Temp\xe9rature \xe9lev\xe9"
         "e: 71 \xb0"
         "C"},
        {"longer than a stored event text", 3, longText},
        {"a second trap from the same switch", 0, "Port 3 link up"},
        {"an empty text", 1, ""},
    };
    ASSERT_EQ(lab.switches.size(), kMonitored.size() + kNotMonitored.size());
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches(kMonitored));

    std::vector<ShownTrap> expectedList;
    bool listing = true; // the window lists the traps up to the first with an empty text
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        const std::string ip = Ip(c.sender);
        const QDateTime before = NowToTheSecond();
        ASSERT_TRUE(Control("trap " + ip + " " + c.text));
        const auto stored = static_cast<std::int32_t>(i + 1);
        ASSERT_TRUE(WaitUntil([&] { return State().TrapCount >= stored && Log().size() > i; }))
            << State().TrapCount << " stored, " << Log().size() << " logged";
        const QDateTime after = QDateTime::currentDateTime();
        EXPECT_EQ(State().TrapCount, stored);
        ASSERT_FALSE(indicator.empty());
        EXPECT_TRUE(indicator.back()) << "the TrapIndicator is not red";

        const std::vector<std::string> log = Log();
        ASSERT_EQ(log.size(), i + 1);
        const std::string& line = log[i];
        const std::optional<QDateTime> stamp = LineStamp(line);
        ASSERT_TRUE(stamp.has_value()) << line;
        EXPECT_GE(*stamp, before);
        EXPECT_LE(*stamp, after);
        EXPECT_EQ(LineTail(line), ip + " Trap :" + c.text + "\r\n");

        const TrapEntry& entry = State().TrapTable[i];
        const std::string storedText(FieldText(entry.EventText));
        EXPECT_EQ(FieldText(entry.TimeText), line.substr(0, kStampLength));
        EXPECT_EQ(FieldText(entry.DeviceIpText), ip);
        if (c.text.size() <= kStoredTextLimit) {
            EXPECT_EQ(storedText, c.text);
        } else {
            EXPECT_TRUE(c.text.starts_with(storedText) && !storedText.empty() &&
                        storedText.size() <= kStoredTextLimit)
                << storedText;
        }
        EXPECT_EQ(entry.EventImage, kTrapImageNew);
        listing = listing && !c.text.empty();
        if (listing) {
            expectedList.push_back({0, Latin1(line.substr(0, kStampLength)),
                                    QString::fromStdString(ip), Latin1(storedText)});
        }
    }

    // The window lists the new traps and turns the indicator green; the next trap, red again.
    EXPECT_EQ(ViewTraps(), expectedList);
    EXPECT_FALSE(indicator.back()) << "the TrapIndicator is not green";
    ASSERT_TRUE(Control("trap " + Ip(2) + " Port 7 link down"));
    ASSERT_TRUE(WaitUntil([&] { return indicator.back(); }));
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text.toStdString();
}

} // namespace
} // namespace fenwick::testing
