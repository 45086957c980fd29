#include "monitor_file.h"

#include "codec/device_tables.h"
#include "codec/monitor_records.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <vector>

namespace fenwick {
namespace {

const QString kFilter = QStringLiteral("config File (*.cfg)");

} // namespace

MonitorFile::MonitorFile(ProgramState& state, UserPrompts& prompts, MonitorListService& monitor,
                         QString configFolder)
    : state_(state), prompts_(prompts), monitor_(monitor), configFolder_(std::move(configFolder)) {}

QString MonitorFile::DefaultPath(const QString& configFolder) {
    return configFolder + QStringLiteral("/monitor.cfg");
}

void MonitorFile::ConfigFileError() {
    prompts_.MessageBox(QStringLiteral("Config File Error"), QStringLiteral("Error"),
                        UserPrompts::Icon::Error);
}

int MonitorFile::Read(const QString& path, std::vector<DeviceRecord>& records) {
    QFile file(path);
    const auto unreadable = [&] {
        prompts_.MessageBox(QStringLiteral("Monitor list file cannot be read: %1\n%2")
                                .arg(path, file.errorString()),
                            QStringLiteral("Error"), UserPrompts::Icon::Error);
        return -1;
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return unreadable();
    }
    // A full table at most; what lies beyond is not read.
    std::vector<std::uint8_t> bytes(kMonitorFileMaxBytes);
    qint64 length = 0;
    while (length < static_cast<qint64>(bytes.size())) {
        const qint64 got = file.read(reinterpret_cast<char*>(bytes.data()) + length,
                                     static_cast<qint64>(bytes.size()) - length);
        if (got < 0) {
            return unreadable();
        }
        if (got == 0) {
            break;
        }
        length += got;
    }
    const int count = DecodeMonitorFile(
        std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(length)), records);
    if (count < 0) {
        ConfigFileError();
    }
    return count;
}

void MonitorFile::LoadAtStartup() {
    const QString path = DefaultPath(configFolder_);
    if (!QFile::exists(path)) {
        return;
    }
    std::vector<DeviceRecord> records;
    const int count = Read(path, records);
    if (count < 0) {
        state_.MonitorTable.fill(ZeroRecord());
        return;
    }
    for (int i = 0; i < count; ++i) {
        DeviceRecord& entry = state_.MonitorTable[static_cast<std::size_t>(i)];
        entry = records[static_cast<std::size_t>(i)];
        PrepareStartupRecord(entry);
        monitor_.ShowMonitorRow(i);
    }
}

void MonitorFile::Load() {
    const QString path = prompts_.OpenFileName(kFilter, QStringLiteral("monitor.cfg"));
    if (path.isEmpty()) {
        return;
    }
    std::vector<DeviceRecord> records;
    if (Read(path, records) < 0) {
        return;
    }
    for (DeviceRecord& record : records) {
        PrepareLoadedRecord(record);
        bool found = false;
        FindMonitorByIp(state_.MonitorTable, monitor_.Count(), FieldText(record.IpText), found);
        if (found) {
            prompts_.MessageBox(QStringLiteral("Duplicate ip in monitor list"),
                                QStringLiteral("Warning"), UserPrompts::Icon::Warning);
            continue;
        }
        FindMonitorByMac(state_.MonitorTable, monitor_.Count(), FieldText(record.MacText), found);
        if (found) {
            prompts_.MessageBox(QStringLiteral("Duplicate device in monitor list"),
                                QStringLiteral("Warning"), UserPrompts::Icon::Warning);
            continue;
        }
        monitor_.Append(record);
    }
}

void MonitorFile::Save() {
    Write(DefaultPath(configFolder_), monitor_.Count());
}

void MonitorFile::SaveAs() {
    // The entries when the command started; the dialog lets other events run meanwhile.
    const int count = monitor_.Count();
    const QString path = prompts_.SaveFileName(kFilter, QStringLiteral("Default.cfg"));
    if (path.isEmpty()) {
        return;
    }
    Write(path, count);
}

void MonitorFile::Write(const QString& path, int count) {
    const std::vector<std::uint8_t> bytes = EncodeMonitorFile(std::span<const DeviceRecord>(
        state_.MonitorTable.data(),
        static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(kDeviceTableSlots)))));
    // A temporary file beside the target, renamed over it only once it is complete: a failed
    // save leaves the previous list as it was. Where the folder takes no new file but the file
    // itself is writable (an installed copy whose administrator opened only the file), the
    // file is written in place instead, still checked to the last byte. Unbuffered, because a
    // buffered flush that writes only part of the bytes (disk full, size limit) can pass
    // unnoticed and commit a cut file.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    qint64 done = 0;
    const auto total = static_cast<qint64>(bytes.size());
    while (written && done < total) {
        // A short write is retried, so that the next attempt fails and tells why.
        const qint64 got =
            file.write(reinterpret_cast<const char*>(bytes.data()) + done, total - done);
        written = got > 0;
        done += written ? got : 0;
    }
    if (!written || !file.commit()) {
        prompts_.MessageBox(QStringLiteral("Monitor list file cannot be written: %1\n%2")
                                .arg(path, file.errorString()),
                            QStringLiteral("Error"), UserPrompts::Icon::Error);
    }
}

} // namespace fenwick
