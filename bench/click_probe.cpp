#include "click_probe.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <algorithm>
#include <memory>

namespace fenwick::bench {

ClickProbe::ClickProbe(QAbstractButton& button) : button_(button) {
    clock_.start();
    connection_ = QObject::connect(&button_, &QAbstractButton::clicked, [this] {
        if (postedAt_ >= 0) {
            samples_.push_back(static_cast<double>(clock_.nsecsElapsed() - postedAt_) / 1e6);
            postedAt_ = -1;
        }
    });
}

ClickProbe::~ClickProbe() {
    QObject::disconnect(connection_);
}

void ClickProbe::Post() {
    if (postedAt_ >= 0) {
        ++skipped_;
        return;
    }
    const QPointF centre = QRectF(button_.rect()).center();
    const QPointF global = button_.mapToGlobal(centre);
    auto press = std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, centre, global,
                                               Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    auto release = std::make_unique<QMouseEvent>(QEvent::MouseButtonRelease, centre, global,
                                                 Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    postedAt_ = clock_.nsecsElapsed();
    // The event queue takes ownership of posted events.
    QCoreApplication::postEvent(&button_, press.release());
    QCoreApplication::postEvent(&button_, release.release());
}

std::vector<double> ClickProbe::TakeSamples() {
    std::vector<double> taken;
    taken.swap(samples_);
    return taken;
}

LatencySummary Summarise(std::vector<double> samples) {
    LatencySummary summary;
    summary.count = samples.size();
    if (samples.empty()) {
        return summary;
    }
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        const auto index =
            static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
        return samples[std::min(index, samples.size() - 1)];
    };
    summary.median = at(0.5);
    summary.p95 = at(0.95);
    summary.max = samples.back();
    return summary;
}

} // namespace fenwick::bench
