#include "upgrade_progress.h"

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace fenwick::ctl {
namespace {

constexpr int kBarWidth = 30;

int Percent(std::uint32_t sent, std::uint32_t size) {
    return size == 0 ? 100 : static_cast<int>(static_cast<std::uint64_t>(sent) * 100 / size);
}

} // namespace

UpgradeProgress::UpgradeProgress(QString device)
    : device_(std::move(device)), terminal_(isatty(STDERR_FILENO) != 0) {}

UpgradeProgress::~UpgradeProgress() {
    if (drawn_) {
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
}

QString UpgradeProgress::Bar(const QString& device, std::uint32_t sent, std::uint32_t size,
                             int width) {
    const int percent = Percent(sent, size);
    const int marks = percent * width / 100;
    return QStringLiteral("%1 [%2%3] %4% %5/%6 bytes")
        .arg(device, QString(marks, u'#'), QString(width - marks, u' '))
        .arg(percent, 3)
        .arg(sent)
        .arg(size);
}

void UpgradeProgress::Show(std::uint32_t sent, std::uint32_t size) {
    const int percent = Percent(sent, size);
    // Redrawn when the figure changes, not for every block.
    if (!terminal_ || percent == lastPercent_) {
        return;
    }
    lastPercent_ = percent;
    const QByteArray line = (u'\r' + Bar(device_, sent, size, kBarWidth)).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

} // namespace fenwick::ctl
