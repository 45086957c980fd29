// Device configuration against the lab's switches, through the real sockets: names and
// locations by broadcast, a new address by unicast, a wrong password, a password change, and a
// device added by its address.
#include "codec/device_tables.h"
#include "codec/text_forms.h"
#include "core/config/password_change.h"
#include "core/config/remote_addition.h"
#include "lab_program.h"

#include <QStringList>

namespace fenwick::testing {
namespace {

const QString kSetSuccessful = QStringLiteral("Set Successful");

class ConfigInTheLab : public LabProgram {
protected:
    int Count(const QString& text) const {
        int count = 0;
        for (const RecordingPrompts::Box& box : prompts.boxes) {
            count += box.text == text ? 1 : 0;
        }
        return count;
    }

    // The switch's settings as it reports them through the control channel.
    std::string SwitchList() {
        const sim::SwitchControl control(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString());
        return control.Run("list").value_or(std::string());
    }
};

TEST_F(ConfigInTheLab, PasswordsAreCheckedAndChanged) {
    ASSERT_NO_FATAL_FAILURE(DiscoverEverySwitch());
    ManagerCore& core = program->Core();
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(2));
    ASSERT_TRUE(core.ChooseForConfiguration());
    ConfigurationInput input = core.Configuration().Values();
    input.password = QStringLiteral("wrong");
    ASSERT_EQ(core.Configuration().SetConfiguration(input), SetOutcome::Sent);
    ASSERT_TRUE(
        WaitUntil([&] { return Count(QStringLiteral("Device return : password error")) == 1; }));

    ASSERT_TRUE(core.ChooseForPasswordChange());
    ASSERT_EQ(core.Password().ChangePassword(core.Password().ChosenMacText(),
                                             QStringLiteral("admin"), QStringLiteral("n3w"),
                                             QStringLiteral("n3w")),
              SetOutcome::Sent);
    ASSERT_TRUE(WaitUntil([&] { return Count(kSetSuccessful) == 1; }));

    ASSERT_TRUE(core.ChooseForConfiguration());
    input = core.Configuration().Values();
    input.location = QStringLiteral("after change");
    input.password = QStringLiteral("n3w");
    ASSERT_EQ(core.Configuration().SetConfiguration(input), SetOutcome::Sent);
    ASSERT_TRUE(WaitUntil([&] { return Count(kSetSuccessful) == 2; }));
    EXPECT_NE(SwitchList().find("after change"), std::string::npos);
}

TEST_F(ConfigInTheLab, ADeviceAddedByAddressIsPolledAndFilled) {
    ManagerCore& core = program->Core();
    const sim::SwitchSettings& target = lab.switches.at(3);
    ASSERT_TRUE(core.BeginAddItem());
    ASSERT_TRUE(core.RemoteIp().ApplyRemoteIp(target.ip));
    core.FinishAddItem();
    ASSERT_EQ(core.MonitorList().RowCount(), 1);
    // The first polling pass after the addition brings the first answer.
    ASSERT_TRUE(WaitUntil(
        [&] {
            return core.MonitorList().Text(0, ColumnOf(kMonitorFields, DeviceField::Mac)) ==
                   QString::fromStdString(MacText(target.mac));
        },
        40000));
    EXPECT_EQ(core.MonitorList().Text(0, ColumnOf(kMonitorFields, DeviceField::SystemName)),
              QString::fromStdString(target.systemName));
}

// Last, because the switch it moves stays at its new address for the rest of the lab.
TEST_F(ConfigInTheLab, BroadcastAndUnicastSetsAreAppliedAndConfirmedOnce) {
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches({0}));
    ManagerCore& core = program->Core();

    // A discovered switch takes a new name and location by broadcast.
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(1));
    ASSERT_TRUE(core.ChooseForConfiguration());
    ConfigurationInput input = core.Configuration().Values();
    input.systemName = QStringLiteral("renamed-2");
    input.location = QStringLiteral("hall b");
    input.password = QStringLiteral("admin");
    ASSERT_EQ(core.Configuration().SetConfiguration(input), SetOutcome::Sent);
    ASSERT_TRUE(WaitUntil([&] { return Count(kSetSuccessful) == 1; }));
    EXPECT_NE(SwitchList().find("renamed-2"), std::string::npos);
    const int discoveryRow =
        *core.DiscoveryList().FindRow(ColumnOf(kDiscoveryFields, DeviceField::Mac),
                                      QString::fromStdString(MacText(lab.switches.at(1).mac)));
    EXPECT_EQ(core.DiscoveryList().Text(discoveryRow,
                                        ColumnOf(kDiscoveryFields, DeviceField::SystemName)),
              QStringLiteral("renamed-2"));
    EXPECT_EQ(
        core.DiscoveryList().Text(discoveryRow, ColumnOf(kDiscoveryFields, DeviceField::Location)),
        QStringLiteral("hall b"));

    // A monitored switch takes a new address by unicast.
    core.DiscoverySelection().DeselectAll();
    core.MonitorSelection().SelectRow(0);
    ASSERT_TRUE(core.ChooseForConfiguration());
    input = core.Configuration().Values();
    input.ipAddress = 0x0A4D0909; // 10.77.9.9
    input.password = QStringLiteral("admin");
    ASSERT_EQ(core.Configuration().SetConfiguration(input), SetOutcome::Sent);
    ASSERT_TRUE(WaitUntil([&] { return Count(kSetSuccessful) == 2; }));
    EXPECT_NE(SwitchList().find("10.77.9.9"), std::string::npos);
    // A sentinel behind any second answer to that set: a set with a wrong password to the same
    // switch, sent from the same socket, answered after whatever the switch sent before it.
    ASSERT_TRUE(core.ChooseForConfiguration());
    input = core.Configuration().Values();
    input.password = QStringLiteral("wrong");
    ASSERT_EQ(core.Configuration().SetConfiguration(input), SetOutcome::Sent);
    ASSERT_TRUE(
        WaitUntil([&] { return Count(QStringLiteral("Device return : password error")) >= 1; }));
    EXPECT_EQ(Count(kSetSuccessful), 2);
}

} // namespace
} // namespace fenwick::testing
