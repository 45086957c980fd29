// The progress bar of one device's upgrade, drawn on standard error when it is a terminal
// (a log file gets no bar, only the summary).
#pragma once

#include <QString>
#include <cstdint>

namespace fenwick::ctl {

class UpgradeProgress {
public:
    explicit UpgradeProgress(QString device);
    ~UpgradeProgress(); // ends the bar's line
    UpgradeProgress(const UpgradeProgress&) = delete;
    UpgradeProgress& operator=(const UpgradeProgress&) = delete;

    void Show(std::uint32_t sent, std::uint32_t size);

    // The bar for `sent` of `size` bytes, `width` marks wide.
    static QString Bar(const QString& device, std::uint32_t sent, std::uint32_t size, int width);

private:
    QString device_;
    bool terminal_;
    bool drawn_ = false;
    int lastPercent_ = -1;
};

} // namespace fenwick::ctl
