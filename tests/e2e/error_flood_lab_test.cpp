// A switch whose every datagram carries an error code floods the program with error traps, as
// a faulty agent or a hostile host on the segment would: one box stays open however many
// arrive, the window keeps handling events, and one OK leaves no box behind.
#include "lab_program.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

namespace fenwick::testing {
namespace {

constexpr int kTrapsPerSecond = 100;
constexpr int kStormSeconds = 30;
// How late an event may be handled while the flood goes on.
constexpr qint64 kResponsiveMs = 100;
constexpr int kHeartbeatMs = 20;

class ErrorFloodInTheLab : public LabProgram {};

// Runs the event loop for `ms` milliseconds.
void RunFor(int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    WaitUntil([&] { return elapsed.elapsed() >= ms; }, ms + 1000);
}

TEST_F(ErrorFloodInTheLab, OneBoxStaysOpenTheWindowRespondsAndOneOkClosesIt) {
    // A heartbeat on the event loop: the longest gap between two beats is how late an event
    // was handled at worst while the box is open.
    QElapsedTimer sinceBeat;
    qint64 worstGapMs = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { worstGapMs = std::max(worstGapMs, sinceBeat.restart()); });
    int open = 0;
    std::optional<std::size_t> boxesUnderTheBox;
    prompts.whileOpen = [&](const RecordingPrompts::Box&) {
        // The operator is away for the whole storm; like a real modal box, this one runs the
        // event loop meanwhile. Then OK.
        ++open;
        sinceBeat.start();
        heartbeat.start(kHeartbeatMs);
        RunFor(kStormSeconds * 1000 + 1000);
        heartbeat.stop();
        boxesUnderTheBox = prompts.boxes.size();
        --open;
    };

    const std::string ip = AddressText(lab.switches.at(0).ip);
    ASSERT_TRUE(Control("error " + ip + " 9"));
    ASSERT_TRUE(Control("trap-rate " + std::to_string(kTrapsPerSecond) + " " +
                        std::to_string(kStormSeconds)));

    ASSERT_TRUE(
        WaitUntil([&] { return boxesUnderTheBox.has_value(); }, (kStormSeconds + 10) * 1000));

    const std::optional<std::string> stats =
        sim::SwitchControl(qEnvironmentVariable("FENWICK_LAB_CONTROL").toStdString()).Run("stats");
    ASSERT_TRUE(stats.has_value());
    const std::string sent = "traps sent " + std::to_string(kTrapsPerSecond * kStormSeconds);
    EXPECT_NE(stats->find(sent + "\n"), std::string::npos) << *stats;
    EXPECT_EQ(*boxesUnderTheBox, 1u) << "3000 error traps, one box";
    EXPECT_EQ(prompts.boxes.front().text, QStringLiteral("Device return : unknow error"));
    EXPECT_LE(worstGapMs, kResponsiveMs);
    std::printf("longest wait of an event during the flood: %lld ms\n",
                static_cast<long long>(worstGapMs));
    RunFor(1000);
    EXPECT_EQ(open, 0);
    EXPECT_EQ(prompts.boxes.size(), 1u) << "the storm is over: nothing opens another";
}

} // namespace
} // namespace fenwick::testing
