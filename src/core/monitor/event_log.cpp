#include "event_log.h"

#include "codec/event_log_lines.h"
#include "codec/text_forms.h"
#include "core/monitor/monitor_texts.h"
#include "core/support/folder_creation.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fenwick {
namespace {

// Owns an open file descriptor; closing it also releases its flock.
class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    int Get() const { return descriptor_; }

private:
    int descriptor_;
};

constexpr mode_t kNewFileMode = 0600; // the operator's own, whatever the umask allows

// A symbolic link in the log's place is refused, not followed: it would let whoever planted it
// have the program write wherever it may.
int OpenOnce(const QByteArray& name, int flags) {
    int descriptor = -1;
    do {
        descriptor = ::open(name.constData(), flags | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

// An installed copy's folder does not exist before its first file: a log to be created there
// makes it, and where it cannot be made, the open fails.
FileDescriptor OpenLog(const QString& path, int flags) {
    const QByteArray name = QFile::encodeName(path);
    int descriptor = OpenOnce(name, flags);
    if (descriptor < 0 && errno == ENOENT && (flags & O_CREAT) != 0) {
        MakeFolder(QFileInfo(path).path());
        descriptor = OpenOnce(name, flags);
    }
    return FileDescriptor(descriptor);
}

// Writes all of `bytes` at the end of the file; false if any part could not be written.
bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Takes the log's lock without waiting: the log is held only for the moment of one write, so a
// held log is a failure. false only when another process holds it; a file system that cannot
// lock at all lets the append go ahead unlocked.
bool LockForAppend(int descriptor) {
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

// Appends all of `bytes` to the file at `path`, creating it (and its folder); false when it
// cannot be opened, is held by another process or cannot take the whole write. The file is
// closed on return.
bool AppendToFile(const QString& path, std::string_view bytes) {
    const FileDescriptor file = OpenLog(path, O_RDWR | O_CREAT | O_APPEND);
    if (!file.IsOpen() || !LockForAppend(file.Get())) {
        return false;
    }
    struct stat before {};
    const bool sized = ::fstat(file.Get(), &before) == 0;
    if (!WriteAll(file.Get(), bytes)) {
        // A line cut short would run into the next one: the file goes back to what it was.
        if (sized) {
            [[maybe_unused]] const int ignored = ::ftruncate(file.Get(), before.st_size);
        }
        return false;
    }
    return true;
}

} // namespace

Timestamp FormatTimestamp(const Clock& clock) {
    Timestamp text{};
    FormatTimestamp(clock.LocalNow(), text);
    return text;
}

EventLog::EventLog(QString configFolder, UnstackedBoxes& boxes, const Clock& clock,
                   Launcher& launcher)
    : configFolder_(std::move(configFolder)), boxes_(boxes), clock_(clock), launcher_(launcher) {}

QString EventLog::Path() const {
    return configFolder_ + QStringLiteral("/syslog.log");
}

int EventLog::AppendToSyslog(std::string_view bytes) {
    if (!AppendToFile(Path(), bytes)) {
        boxes_.Show(texts::kSyslogNotExit, texts::kCaptionError, UserPrompts::Icon::Error);
        return -1;
    }
    return 0;
}

int EventLog::AppendNotAlive(const Timestamp& timestamp, std::string_view ipText) {
    return AppendToSyslog(NotAliveLine(timestamp.data(), ipText));
}

int EventLog::AppendUpgradeFailure(std::uint32_t address, std::string_view message) {
    const Timestamp timestamp = FormatTimestamp(clock_);
    return AppendToSyslog(UpgradeFailureLine(timestamp.data(), AddressText(address), message));
}

void EventLog::ViewLog() {
    launcher_.OpenInTextEditor(Path());
}

void EventLog::ClearLog() {
    QFile::remove(Path());
    const FileDescriptor created = OpenLog(Path(), O_WRONLY | O_CREAT);
}

} // namespace fenwick
