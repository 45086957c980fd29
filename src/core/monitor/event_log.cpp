#include "event_log.h"

#include "codec/event_log_lines.h"
#include "codec/text_forms.h"

#include <QFile>
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

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask, as for any new document

FileDescriptor OpenLog(const QString& path, int flags) {
    const QByteArray name = QFile::encodeName(path);
    int descriptor = -1;
    do {
        descriptor = ::open(name.constData(), flags | O_CLOEXEC, kNewFileMode);
    } while (descriptor < 0 && errno == EINTR);
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

} // namespace

Timestamp FormatTimestamp(const Clock& clock) {
    Timestamp text{};
    FormatTimestamp(clock.LocalNow(), text);
    return text;
}

EventLog::EventLog(QString configFolder, UserPrompts& prompts, const Clock& clock,
                   Launcher& launcher)
    : configFolder_(std::move(configFolder)), prompts_(prompts), clock_(clock),
      launcher_(launcher) {}

QString EventLog::Path() const {
    return configFolder_ + QStringLiteral("/syslog.log");
}

void EventLog::ReportFailure() {
    // A trap storm against a log that cannot be written would otherwise stack one box upon
    // another without end.
    if (reporting_) {
        return;
    }
    reporting_ = true;
    prompts_.MessageBox(QStringLiteral("syslog.log not exit"), QStringLiteral("Error"),
                        UserPrompts::Icon::Error);
    reporting_ = false;
}

int EventLog::AppendToSyslog(std::string_view bytes) {
    const FileDescriptor file = OpenLog(Path(), O_RDWR | O_CREAT | O_APPEND);
    // Never waits for the lock: a held log is a failure, as the log is held only for the
    // moment of one write.
    if (!file.IsOpen() || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
        ReportFailure();
        return -1;
    }
    struct stat before {};
    const bool sized = ::fstat(file.Get(), &before) == 0;
    if (!WriteAll(file.Get(), bytes)) {
        // A line cut short would run into the next one: the file goes back to what it was.
        if (sized) {
            [[maybe_unused]] const int ignored = ::ftruncate(file.Get(), before.st_size);
        }
        ReportFailure();
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
