#include "monitor_file.h"

#include "codec/device_tables.h"
#include "codec/monitor_records.h"
#include "core/lists/list_texts.h"
#include "core/support/folder_creation.h"
#include "core/support/whole_file_save.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <vector>

namespace fenwick {
MonitorFile::MonitorFile(DeviceTable& monitorTable, UserPrompts& prompts,
                         MonitorListService& monitor, QString configFolder)
    : monitorTable_(monitorTable), prompts_(prompts), monitor_(monitor),
      configFolder_(std::move(configFolder)) {}

QString MonitorFile::DefaultPath(const QString& configFolder) {
    return configFolder + QStringLiteral("/monitor.cfg");
}

void MonitorFile::ConfigFileError() {
    prompts_.MessageBox(texts::kConfigFileError, texts::kCaptionError, UserPrompts::Icon::Error);
}

std::optional<std::vector<DeviceRecord>> MonitorFile::Read(const QString& path) {
    QFile file(path);
    const auto unreadable = [&]() -> std::optional<std::vector<DeviceRecord>> {
        prompts_.MessageBox(QString(texts::kMonitorFileUnreadable).arg(path, file.errorString()),
                            texts::kCaptionError, UserPrompts::Icon::Error);
        return std::nullopt;
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
    std::optional<std::vector<DeviceRecord>> records = DecodeMonitorFile(
        std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(length)));
    if (!records) {
        ConfigFileError();
    }
    return records;
}

void MonitorFile::LoadAtStartup() {
    const QString path = DefaultPath(configFolder_);
    if (!QFile::exists(path)) {
        return;
    }
    const std::optional<std::vector<DeviceRecord>> records = Read(path);
    if (!records) {
        monitorTable_.fill(ZeroRecord());
        return;
    }
    for (std::size_t i = 0; i < records->size(); ++i) {
        DeviceRecord& entry = monitorTable_[i];
        entry = (*records)[i];
        PrepareStartupRecord(entry);
        monitor_.ShowMonitorRow(static_cast<int>(i));
    }
}

void MonitorFile::Load() {
    const QString path = prompts_.OpenFileName(texts::kMonitorFileFilter, texts::kProposedLoadName);
    if (path.isEmpty()) {
        return;
    }
    std::optional<std::vector<DeviceRecord>> records = Read(path);
    if (!records) {
        return;
    }
    for (DeviceRecord& record : *records) {
        PrepareLoadedRecord(record);
        if (FindMonitorByIp(monitorTable_, monitor_.Count(), FieldText(record.IpText))) {
            prompts_.MessageBox(texts::kDuplicateIpInList, texts::kCaptionWarning,
                                UserPrompts::Icon::Warning);
            continue;
        }
        if (FindMonitorByMac(monitorTable_, monitor_.Count(), FieldText(record.MacText))) {
            prompts_.MessageBox(texts::kDuplicateDeviceInList, texts::kCaptionWarning,
                                UserPrompts::Icon::Warning);
            continue;
        }
        monitor_.Append(record);
    }
}

void MonitorFile::Save() {
    // An installed copy's folder is made by the first file written there. Where it cannot be
    // made, the write fails and says so.
    MakeFolder(configFolder_);
    Write(DefaultPath(configFolder_), monitor_.Count());
}

void MonitorFile::SaveAs() {
    // The entries when the command started; the dialog lets other events run meanwhile.
    const int count = monitor_.Count();
    const QString path =
        prompts_.SaveFileName(texts::kMonitorFileFilter, texts::kProposedSaveAsName);
    if (path.isEmpty()) {
        return;
    }
    Write(path, count);
}

void MonitorFile::Write(const QString& path, int count) {
    const std::vector<std::uint8_t> bytes = EncodeMonitorFile(std::span<const DeviceRecord>(
        monitorTable_.data(),
        static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(kDeviceTableSlots)))));
    // The box has told the operator when it failed; the list stays as it is either way.
    [[maybe_unused]] const bool saved =
        SaveWholeFile(path, QByteArrayView(bytes), prompts_, texts::kMonitorFileUnwritable);
}

} // namespace fenwick
