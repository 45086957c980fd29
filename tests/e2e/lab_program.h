// The real Fenwick program (window, core, POSIX sockets) inside the lab, with a cfg folder
// matching the lab's switches, and the lab's switch settings to compare against.
#pragma once

#include "codec/text_forms.h"
#include "core/lists/device_columns.h"
#include "fenwick-switch/settings_file.h"
#include "fenwick-switch/switch_control.h"
#include "support/core_rig.h"
#include "support/recording_prompts.h"
#include "support/shown_program.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fenwick::testing {

// The lab's switches, as its settings file describes them; nothing outside a lab.
inline std::optional<sim::NetworkSettings> LabSettings() {
    const QByteArray path = qgetenv("FENWICK_LAB_CONFIG");
    QFile file(QString::fromLocal8Bit(path));
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray text = file.readAll();
    std::string error;
    return sim::ParseSettingsText(
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())), error);
}

class LabProgram : public ::testing::Test {
protected:
    void SetUp() override {
        const auto settings = LabSettings();
        if (!settings) {
            GTEST_SKIP() << "not inside the lab (FENWICK_LAB_CONFIG)";
        }
        lab = *settings;
        ASSERT_TRUE(WriteDefinitionFile(ConfigFolder(), lab.agentKey, lab.basePort));
        program = ShowProgram(ConfigFolder(), &prompts);
        ASSERT_NE(program, nullptr) << "the main window did not come up";
    }

    void TearDown() override {
        if (program) {
            program->Window().close();
        }
    }

    QString ConfigFolder() const { return folder.path() + QStringLiteral("/cfg"); }

    // Sends one command to the lab's switches; a command they refuse fails the test.
    bool Control(const std::string& command) {
        const sim::SwitchControl control(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString());
        const bool done = control.Run(command).has_value();
        EXPECT_TRUE(done) << command;
        return done;
    }

    void DiscoverEverySwitch() {
        ListViewModel& list = program->Core().DiscoveryList();
        Button(QStringLiteral("Discovery"))->click();
        const int switches = static_cast<int>(lab.switches.size());
        ASSERT_TRUE(WaitUntil([&] { return list.RowCount() >= switches; }))
            << list.RowCount() << " of " << switches;
    }

    // Discovers the lab and moves the switches at these positions of its settings to the
    // monitor list, as an operator would.
    void MonitorSwitches(const std::vector<std::size_t>& positions) {
        ASSERT_NO_FATAL_FAILURE(DiscoverEverySwitch());
        for (std::size_t position : positions) {
            const std::string mac = MacText(lab.switches.at(position).mac);
            const std::optional<int> row = program->Core().DiscoveryList().FindRow(
                ColumnOf(kDiscoveryFields, DeviceField::Mac), QString::fromStdString(mac));
            ASSERT_TRUE(row.has_value()) << mac;
            program->Core().DiscoverySelection().SelectRow(*row);
        }
        Button(QStringLiteral("Add to monitor list"))->click();
        ASSERT_EQ(program->Core().MonitorList().RowCount(), static_cast<int>(positions.size()));
    }

    // Selects the switch at `position` of the lab's settings in the Discovery List, alone.
    void SelectDiscovered(std::size_t position) {
        const std::optional<int> row = program->Core().DiscoveryList().FindRow(
            ColumnOf(kDiscoveryFields, DeviceField::Mac),
            QString::fromStdString(MacText(lab.switches.at(position).mac)));
        ASSERT_TRUE(row.has_value());
        program->Core().MonitorSelection().DeselectAll();
        program->Core().DiscoverySelection().DeselectAll();
        program->Core().DiscoverySelection().SelectRow(*row);
    }

    QAbstractButton* Button(const QString& name) {
        for (QAbstractButton* button : program->Window().findChildren<QAbstractButton*>()) {
            if (button->accessibleName() == name) {
                return button;
            }
        }
        ADD_FAILURE() << "no button " << name.toStdString();
        return nullptr;
    }

    sim::NetworkSettings lab;
    QTemporaryDir folder;
    RecordingPrompts prompts;
    std::unique_ptr<FenwickProgram> program;
};

} // namespace fenwick::testing
