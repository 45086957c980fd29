// The monitor list in files: monitor.cfg in the cfg folder, restored at start-up and written by
// "Monitor save", and any file the operator picks for "Monitor save as" and "Monitor load".
#pragma once

#include "codec/device_record.h"
#include "core/lists/monitor_list_service.h"
#include "core/ports/user_prompts.h"

#include <QString>
#include <optional>
#include <vector>

namespace fenwick {

class MonitorFile {
public:
    MonitorFile(DeviceTable& monitorTable, UserPrompts& prompts, MonitorListService& monitor,
                QString configFolder);

    // Restores monitor.cfg into the empty monitor list, records as stored, without duplicate
    // tests. A missing file leaves the list empty without a word.
    void LoadAtStartup();
    // "Monitor save": writes the entries, in table order, to monitor.cfg.
    void Save();
    // "Monitor save as": the same, to a file the operator picks.
    void SaveAs();
    // "Monitor load": adds the records of a file the operator picks, skipping duplicates.
    void Load();

    // monitor.cfg in the given cfg folder.
    static QString DefaultPath(const QString& configFolder);

private:
    // Reads the records of the file at `path`, or nothing after the operator was told why the
    // file could not be used.
    std::optional<std::vector<DeviceRecord>> Read(const QString& path);
    // Writes the first `count` entries to `path`; the previous file stays whole unless the new
    // one was written completely.
    void Write(const QString& path, int count);
    void ConfigFileError();

    DeviceTable& monitorTable_;
    UserPrompts& prompts_;
    MonitorListService& monitor_;
    QString configFolder_;
};

} // namespace fenwick
