// Responsiveness of the main window: posts a mouse click (press and release) to a button and
// measures the time until the button's clicked() signal, one click at a time. Posted, not
// sent, so the click waits in the event queue behind whatever the program is busy with, as an
// operator's click would.
#pragma once

#include <QAbstractButton>
#include <QElapsedTimer>
#include <vector>

namespace fenwick::bench {

class ClickProbe {
public:
    explicit ClickProbe(QAbstractButton& button);
    ~ClickProbe();
    ClickProbe(const ClickProbe&) = delete;
    ClickProbe& operator=(const ClickProbe&) = delete;

    // Posts a click, unless the last one has not arrived yet (then it is counted as waiting).
    void Post();

    // Milliseconds from posting to clicked(), one per click that arrived, and drops them.
    std::vector<double> TakeSamples();
    // Clicks not posted because the previous one was still waiting.
    int Skipped() const { return skipped_; }

private:
    QAbstractButton& button_;
    QMetaObject::Connection connection_;
    QElapsedTimer clock_;
    qint64 postedAt_ = -1;
    int skipped_ = 0;
    std::vector<double> samples_;
};

struct LatencySummary {
    std::size_t count = 0;
    double median = 0;
    double p95 = 0;
    double max = 0;
};

LatencySummary Summarise(std::vector<double> samples);

} // namespace fenwick::bench
