// Firmware upgrades of the lab's switches through the upgrade window and the real sockets:
// from each list, over a lossy link, refused by the switch with an error packet, a switch that
// does not come back, and a second try after a refusal.
#include "codec/text_forms.h"
#include "core/firmware/tftp_transfer.h"
#include "event_log_file.h"
#include "image_files.h"
#include "lab_program.h"
#include "windows/firmware_upgrade_dlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <regex>

namespace fenwick::testing {
namespace {

const QString kSuccessful = QStringLiteral("Upgrade successful");
const QString kFail = QStringLiteral("Upgrade fail");
// The final acknowledgement, 5 s of pause, 12 s before the discovery, 2 s for the answers.
constexpr int kConfirmationMs = 19000;

class FirmwareInTheLab : public LabProgram {
protected:
    std::uint32_t Ip(std::size_t position) const { return lab.switches.at(position).ip; }
    std::string IpText(std::size_t position) const { return AddressText(Ip(position)); }

    // An image of `size` random bytes in the lab's folder.
    QString Image(const QString& name, qsizetype size) {
        return WriteRandomImage(folder.path() + u'/' + name, size, static_cast<quint32>(size));
    }

    static QByteArray Read(const QString& path) { return ReadFileBytes(path); }

    // The image the switch stored, through the control channel.
    QByteArray StoredImage(std::size_t position) {
        const QString path =
            folder.path() + QStringLiteral("/stored-") + QString::fromStdString(IpText(position));
        Control("image " + IpText(position) + " " + path.toStdString());
        return Read(path);
    }

    // The upgrade window while it is open, or null.
    static CFirmwareUpgradeDlg* OpenUpgradeWindow() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<CFirmwareUpgradeDlg*>(widget);
                found != nullptr && found->isVisible()) {
                return found;
            }
        }
        return nullptr;
    }

    // Presses "Firmware upgrade" on the main window and "Start" in the window it opens.
    void UpgradeThroughTheWindow(const QString& image,
                                 const QString& password = QStringLiteral("admin")) {
        Button(QStringLiteral("Firmware upgrade"))->click();
        CFirmwareUpgradeDlg* upgrade = OpenUpgradeWindow();
        ASSERT_NE(upgrade, nullptr) << BoxTexts().join(u'|').toStdString();
        for (QLineEdit* field : upgrade->findChildren<QLineEdit*>()) {
            if (field->accessibleName() == QStringLiteral("Password")) {
                field->setText(password);
            } else if (field->accessibleName() == QStringLiteral("Firmware Path")) {
                field->setText(image);
            }
        }
        for (QPushButton* button : upgrade->findChildren<QPushButton*>()) {
            if (button->accessibleName() == QStringLiteral("Start")) {
                button->click();
            }
        }
    }

    QStringList BoxTexts() const {
        QStringList texts;
        for (const RecordingPrompts::Box& box : prompts.boxes) {
            texts << box.text;
        }
        return texts;
    }

    bool WaitForBox(const QString& text, int limitMs) {
        return WaitUntil([&] { return BoxTexts().contains(text); }, limitMs);
    }

    // Waits for the confirmation's result after a transfer of about `transferMs`.
    void ExpectConfirmed(const QString& result, int transferMs) {
        ASSERT_TRUE(WaitForBox(result, 2000 + transferMs + kConfirmationMs + 5000))
            << BoxTexts().join(u'|').toStdString();
        const RecordingPrompts::Box& box = prompts.boxes.back();
        EXPECT_EQ(box.caption, QStringLiteral("information"));
        EXPECT_EQ(box.icon, result == kSuccessful ? UserPrompts::Icon::Information
                                                  : UserPrompts::Icon::Warning);
    }
};

TEST_F(FirmwareInTheLab, AOneMebibyteImageArrivesWholeFromEitherListAndTheSwitchComesBack) {
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches({1}));
    const QString image = Image(QStringLiteral("one-mib.hex"), 1024 * 1024);
    struct Case {
        const char* list;
        std::size_t position;
    };
    for (const Case c : {Case{"Discovery List", 0}, Case{"Monitor List", 1}}) {
        SCOPED_TRACE(c.list);
        prompts.boxes.clear();
        if (c.position == 0) {
            ASSERT_NO_FATAL_FAILURE(SelectDiscovered(0));
        } else {
            program->Core().DiscoverySelection().DeselectAll();
            program->Core().MonitorSelection().SelectRow(0);
        }
        ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(image));
        ASSERT_NO_FATAL_FAILURE(ExpectConfirmed(kSuccessful, 20000));
        EXPECT_EQ(StoredImage(c.position), Read(image));
        // The confirmation's discovery shows the switch again.
        EXPECT_TRUE(program->Core()
                        .DiscoveryList()
                        .FindRow(ColumnOf(kDiscoveryFields, DeviceField::Mac),
                                 QString::fromStdString(MacText(lab.switches.at(0).mac)))
                        .has_value());
    }
}

TEST_F(FirmwareInTheLab, TwentyPercentLossStillEndsByteIdentical) {
    ASSERT_NO_FATAL_FAILURE(DiscoverEverySwitch());
    // Each lost packet costs a second or two of waiting: an image of tens of KiB.
    Control("loss " + IpText(2) + " 20 11");
    const QString image = Image(QStringLiteral("lossy.hex"), 20 * 1024 + 300);
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(2));
    ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(image));
    ASSERT_NO_FATAL_FAILURE(ExpectConfirmed(kSuccessful, 90000));
    EXPECT_EQ(StoredImage(2), Read(image));
    const std::string info =
        sim::SwitchControl(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString())
            .Run("image " + IpText(2))
            .value_or("");
    // The loss did happen: packets were dropped each way or either way.
    int lost = 0;
    const std::regex lostCount("lost ([0-9]+)");
    for (auto it = std::sregex_iterator(info.begin(), info.end(), lostCount);
         it != std::sregex_iterator(); ++it) {
        lost += std::stoi((*it)[1]);
    }
    EXPECT_GT(lost, 0) << info;
}

TEST_F(FirmwareInTheLab, AnErrorPacketIsShownAndLoggedAndNothingFollows) {
    ASSERT_NO_FATAL_FAILURE(DiscoverEverySwitch());
    Control("tftp-error " + IpText(3) +
            " 3 Flash write error at sector 12, the image was not kept");
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(3));
    ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(Image(QStringLiteral("refused.hex"), 5000)));
    // The text is cut at 45 characters before the reboot notice.
    const QString shown = QStringLiteral("Flash write error at sector 12, the image was") +
                          QStringLiteral("\nThe device will reboot, please wait for a few seconds");
    ASSERT_TRUE(WaitForBox(shown, 10000)) << BoxTexts().join(u'|').toStdString();
    EXPECT_EQ(prompts.boxes.back().caption, QStringLiteral("upgrade fail"));
    const std::vector<std::string> lines =
        ReadLogLines(ConfigFolder() + QStringLiteral("/syslog.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().substr(kStampLength),
              " " + IpText(3) + " Flash write error at sector 12, the image was \r\n");
    // No confirmation follows a refused upgrade. One can only begin from a transfer that is
    // still under way (the pause after a final acknowledgement is part of it), and one that has
    // begun refuses the next upgrade; so an upgrade window that opens again at once, with no
    // box, shows that nothing is left to confirm, without waiting out the confirmation's time.
    ASSERT_TRUE(WaitUntil([] { return OpenUpgradeWindow() == nullptr; }));
    EXPECT_EQ(program->Core().Tftp().State(), TftpState::Idle);
    const std::size_t boxes = prompts.boxes.size();
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(3));
    Button(QStringLiteral("Firmware upgrade"))->click();
    CFirmwareUpgradeDlg* again = OpenUpgradeWindow();
    EXPECT_NE(again, nullptr) << BoxTexts().join(u'|').toStdString();
    EXPECT_EQ(prompts.boxes.size(), boxes) << BoxTexts().join(u'|').toStdString();
    if (again != nullptr) {
        again->close();
    }
    EXPECT_FALSE(BoxTexts().contains(kSuccessful));
    EXPECT_FALSE(BoxTexts().contains(kFail));
}

TEST_F(FirmwareInTheLab, ASwitchThatDoesNotComeBackGivesUpgradeFail) {
    ASSERT_NO_FATAL_FAILURE(DiscoverEverySwitch());
    Control("restart-delay " + IpText(4) + " 60");
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(4));
    const QString image = Image(QStringLiteral("slow.hex"), 64 * 1024);
    ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(image));
    ASSERT_NO_FATAL_FAILURE(ExpectConfirmed(kFail, 10000));
    EXPECT_EQ(StoredImage(4), Read(image));
}

TEST_F(FirmwareInTheLab, AFailedUpgradeLeavesNothingForTheNextLargerOne) {
    // Switch 4 may still be restarting from the test before: only switch 3 is waited for.
    Button(QStringLiteral("Discovery"))->click();
    ASSERT_TRUE(WaitUntil([&] {
        return program->Core()
            .DiscoveryList()
            .FindRow(ColumnOf(kDiscoveryFields, DeviceField::Mac),
                     QString::fromStdString(MacText(lab.switches.at(3).mac)))
            .has_value();
    }));
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(3));
    Control("tftp-error " + IpText(3) + " 3 Disk full");
    ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(Image(QStringLiteral("first.hex"), 3000)));
    ASSERT_TRUE(WaitForBox(
        QStringLiteral("Disk full\nThe device will reboot, please wait for a few seconds"), 10000))
        << BoxTexts().join(u'|').toStdString();
    // The refusal closes the upgrade window.
    ASSERT_TRUE(WaitUntil([] { return OpenUpgradeWindow() == nullptr; }));

    // The operator tries again with another, larger image; the switch takes it this time.
    Control("tftp-error " + IpText(3) + " off");
    const QString image = Image(QStringLiteral("second.hex"), 96 * 1024 + 17);
    ASSERT_NO_FATAL_FAILURE(SelectDiscovered(3));
    ASSERT_NO_FATAL_FAILURE(UpgradeThroughTheWindow(image));
    ASSERT_NO_FATAL_FAILURE(ExpectConfirmed(kSuccessful, 10000));
    EXPECT_EQ(StoredImage(3), Read(image));
}

} // namespace
} // namespace fenwick::testing
