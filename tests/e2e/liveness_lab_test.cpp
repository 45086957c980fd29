// Liveness polling against the lab's switches, in real time: a monitored switch that falls
// silent gets the failure image and a "Not alive" line at every tick, and loses the image
// without further lines once it answers again; switches that answer, and a silent one that is
// not monitored, leave no trace.
#include "event_log_file.h"
#include "lab_program.h"

#include <QProcess>
#include <map>

namespace fenwick::testing {
namespace {

// The Monitor List's status images: none, and the failure image of a device not alive.
constexpr int kNoImage = -1;
constexpr int kFailureImage = 1;
// A device that has no Monitor List row.
constexpr int kNoRow = -2;

// With polls every 15 s a silenced switch is judged within 45 s (the poll after it falls
// silent only resets its accounting); one that answers again is polled within 15 s.
constexpr int kVerdictLimitMs = 90'000;
constexpr int kAnswerAgainLimitMs = 45'000;
// Ticks come every 5 s.
constexpr int kTicksLimitMs = 60'000;

struct Role {
    const char* what;
    std::size_t position; // in the lab's settings
    bool monitored;
    bool silenced;
    std::vector<int> images; // its row's status images in the order they show
};

class LivenessInTheLab : public LabProgram {
protected:
    std::string Ip(const Role& role) const {
        return AddressText(lab.switches.at(role.position).ip);
    }
    std::string NotAliveTail(const Role& role) const { return Ip(role) + " Not alive \r\n"; }
    QString LogPath() const { return ConfigFolder() + QStringLiteral("/syslog.log"); }

    std::string LogText() const {
        std::string text;
        for (const std::string& line : ReadLogLines(LogPath())) {
            text += line;
        }
        return text;
    }

    int NotAliveLines(const Role& role) const {
        int count = 0;
        for (const std::string& line : ReadLogLines(LogPath())) {
            count += LineTail(line) == NotAliveTail(role) ? 1 : 0;
        }
        return count;
    }

    int ImageOf(const Role& role) {
        ListViewModel& list = program->Core().MonitorList();
        const std::optional<int> row = list.FindRow(ColumnOf(kMonitorFields, DeviceField::Ip),
                                                    QString::fromStdString(Ip(role)));
        return row ? list.Image(*row) : kNoRow;
    }

    // Notes each switch's image (or that it has no row) when it differs from the last one noted.
    void SampleImages(const std::vector<Role>& roles) {
        for (const Role& role : roles) {
            const int image = ImageOf(role);
            std::vector<int>& seen = images[role.what];
            if (seen.empty() || seen.back() != image) {
                seen.push_back(image);
            }
        }
    }

    // WaitUntil, noting the images all along: a wrong image shows for seconds, not moments.
    bool Watch(const std::vector<Role>& roles, const std::function<bool()>& done, int limitMs) {
        return WaitUntil(
            [&] {
                SampleImages(roles);
                return done();
            },
            limitMs);
    }

    std::map<std::string, std::vector<int>> images;
};

TEST_F(LivenessInTheLab, SilentSwitchIsDeclaredNotAliveUntilItAnswersAgain) {
    const std::vector<Role> roles = {
        {"falls silent, then answers again", 0, true, true, {kNoImage, kFailureImage, kNoImage}},
        {"stays silent", 1, true, true, {kNoImage, kFailureImage}},
        {"answers throughout", 2, true, false, {kNoImage}},
        {"answers throughout too", 3, true, false, {kNoImage}},
        {"silent but not monitored", 4, false, true, {kNoRow}},
    };
    ASSERT_EQ(lab.switches.size(), roles.size()) << "one switch of the lab for each role";
    const Role& revived = roles[0];
    const Role& dead = roles[1]; // its lines mark the ticks
    const QDateTime testStart = NowToTheSecond();

    std::vector<std::size_t> monitored;
    for (const Role& role : roles) {
        if (role.monitored) {
            monitored.push_back(role.position);
        }
    }
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches(monitored));
    for (const Role& role : roles) {
        if (role.silenced) {
            ASSERT_TRUE(Control("silent " + Ip(role) + " on"));
        }
    }

    // Judged not alive, and judged again at every tick while silent.
    ASSERT_TRUE(Watch(
        roles,
        [&] {
            return ImageOf(revived) == kFailureImage && ImageOf(dead) == kFailureImage &&
                   NotAliveLines(revived) >= 2 && NotAliveLines(dead) >= 2;
        },
        kVerdictLimitMs))
        << "images " << ImageOf(revived) << ", " << ImageOf(dead) << "; the log:\n"
        << LogText();

    ASSERT_TRUE(Control("silent " + Ip(revived) + " off"));
    ASSERT_TRUE(Watch(
        roles, [&] { return ImageOf(revived) == kNoImage; }, kAnswerAgainLimitMs));
    const std::size_t linesWhenAnswered = ReadLogLines(LogPath()).size();

    // The switch that stays silent marks the ticks: four of them span a whole polling cycle.
    const int deadLinesWhenAnswered = NotAliveLines(dead);
    ASSERT_TRUE(Watch(
        roles, [&] { return NotAliveLines(dead) >= deadLinesWhenAnswered + 4; }, kTicksLimitMs));
    SampleImages(roles);
    const QDateTime testEnd = QDateTime::currentDateTime();

    for (const Role& role : roles) {
        SCOPED_TRACE(role.what);
        EXPECT_EQ(images[role.what], role.images);
    }

    // Every line: a timestamp of this run, in order, then a silenced monitored switch's
    // address and " Not alive \r\n"; none for the revived switch once it answered.
    const std::vector<std::string> lines = ReadLogLines(LogPath());
    ASSERT_FALSE(lines.empty());
    QDateTime previous = testStart;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + lines[i]);
        const std::optional<QDateTime> stamp = LineStamp(lines[i]);
        ASSERT_TRUE(stamp.has_value()) << "no timestamp";
        EXPECT_GE(*stamp, previous);
        EXPECT_LE(*stamp, testEnd);
        previous = *stamp;
        const std::string tail = LineTail(lines[i]);
        if (i < linesWhenAnswered) {
            EXPECT_TRUE(tail == NotAliveTail(revived) || tail == NotAliveTail(dead));
        } else {
            EXPECT_EQ(tail, NotAliveTail(dead));
        }
    }
    EXPECT_TRUE(prompts.boxes.empty()) << prompts.boxes.front().text.toStdString();
}

// A "Resend fail" box left open for a minute stops nothing: the ticks go on inside it, and a
// switch that falls silent meanwhile gets its "Not alive" line at every tick, stamped when it
// was judged.
TEST_F(LivenessInTheLab, TicksGoOnUnderAResendBoxLeftOpen) {
    const Role unreachable = {"unreachable", 2, true, false, {}};
    const Role silent = {"falls silent", 3, true, true, {}};
    ASSERT_TRUE(Control("silent all on") && Control("silent all off")); // whatever ran before
    ASSERT_NO_FATAL_FAILURE(MonitorSwitches({unreachable.position, silent.position}));
    // Every send to the unreachable switch fails at once (EHOSTUNREACH): polls and resends.
    const QString route = QString::fromStdString(Ip(unreachable)) + QStringLiteral("/32");
    ASSERT_EQ(
        QProcess::execute(QStringLiteral("ip"), {QStringLiteral("route"), QStringLiteral("add"),
                                                 QStringLiteral("unreachable"), route}),
        0);
    ASSERT_TRUE(Control("silent " + Ip(silent) + " on"));

    struct Line {
        QDateTime seen; // when it was found in the log
        std::optional<QDateTime> stamp;
    };
    std::vector<Line> linesUnderBox;
    int resendBoxes = 0;
    prompts.whileOpen = [&](const RecordingPrompts::Box& box) {
        if (box.text != QLatin1String("Resend fail") || resendBoxes++ > 0) {
            return; // the polling error boxes are closed at once
        }
        // The operator is away for a minute; the log is watched meanwhile.
        QElapsedTimer open;
        open.start();
        const int linesBefore = NotAliveLines(silent);
        WaitUntil(
            [&] {
                const std::vector<std::string> lines = ReadLogLines(LogPath());
                std::vector<std::string> ofSilent;
                for (const std::string& line : lines) {
                    if (LineTail(line) == NotAliveTail(silent)) {
                        ofSilent.push_back(line);
                    }
                }
                const QDateTime now = QDateTime::currentDateTime();
                for (std::size_t i = static_cast<std::size_t>(linesBefore) + linesUnderBox.size();
                     i < ofSilent.size(); ++i) {
                    linesUnderBox.push_back({now, LineStamp(ofSilent[i])});
                }
                return open.elapsed() >= 60'000;
            },
            61'000);
    };

    // The box opens at the first resend to the unreachable switch: after two polling cycles.
    const bool opened = WaitUntil([&] { return resendBoxes > 0; }, kVerdictLimitMs);
    prompts.whileOpen = nullptr;
    QProcess::execute(QStringLiteral("ip"), {QStringLiteral("route"), QStringLiteral("del"),
                                             QStringLiteral("unreachable"), route});
    Control("silent " + Ip(silent) + " off");
    ASSERT_TRUE(opened) << LogText();

    // Judged about 10 s after the box opened, then at every 5 s tick of the minute.
    EXPECT_GE(linesUnderBox.size(), 8u) << LogText();
    std::optional<QDateTime> previous;
    for (const Line& line : linesUnderBox) {
        ASSERT_TRUE(line.stamp.has_value());
        SCOPED_TRACE(line.stamp->toString(Qt::ISODate).toStdString());
        EXPECT_LE(*line.stamp, line.seen);
        EXPECT_LE(line.stamp->secsTo(line.seen), 2) << "stamped when it was judged";
        if (previous) {
            EXPECT_LE(previous->secsTo(*line.stamp), 6) << "a line at every tick";
        }
        previous = line.stamp;
    }
}

} // namespace
} // namespace fenwick::testing
