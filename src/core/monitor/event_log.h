// The event log, syslog.log in the cfg folder: traps, not-alive verdicts and upgrade failures,
// appended one write at a time. Each append holds the file under an exclusive advisory lock
// (flock) for the length of its own write only; a file that another process holds locked, like
// one that cannot be opened, is reported and the append fails. Where the file system cannot
// lock at all, the append goes ahead unlocked rather than losing the line.
#pragma once

#include "codec/timestamp.h"
#include "core/ports/clock.h"
#include "core/ports/launcher.h"
#include "core/support/unstacked_boxes.h"

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

namespace fenwick {

using Timestamp = std::array<char, kTimestampBufferSize>;

// The current local time as the log and the trap table write it, zero-terminated.
Timestamp FormatTimestamp(const Clock& clock);

class EventLog {
public:
    EventLog(QString configFolder, UnstackedBoxes& boxes, const Clock& clock, Launcher& launcher);

    // syslog.log in the cfg folder.
    QString Path() const;

    // Appends the bytes at the end of the log, creating it when missing. 0, or -1 after
    // "syslog.log not exit" when the log cannot be opened, is locked by another process or
    // cannot take the whole write (what part of it was written is taken back). The file is
    // closed, and its lock released, before that box opens: appends made while it is open
    // (traps go on arriving) are tried as usual, and those that fail add no box of their own.
    int AppendToSyslog(std::string_view bytes);

    // The line of a device declared not alive, with the tick's timestamp.
    int AppendNotAlive(const Timestamp& timestamp, std::string_view ipText);
    // The line of a firmware upgrade that failed on the device at `address`, stamped now.
    int AppendUpgradeFailure(std::uint32_t address, std::string_view message);

    // "View log": the desktop's text editor on the log. Nothing is reported either way.
    void ViewLog();
    // "Clear log": the log is deleted and created again, empty. Nothing is reported.
    void ClearLog();

private:
    QString configFolder_;
    UnstackedBoxes& boxes_;
    const Clock& clock_;
    Launcher& launcher_;
};

} // namespace fenwick
