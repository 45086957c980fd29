// The event log (syslog.log) as bytes: its lines, each line's timestamp and what follows it.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <ctime>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

inline void PrintTo(const QDateTime& time, std::ostream* out) {
    *out << time.toString(QStringLiteral("MM/dd/yyyy HH:mm:ss.zzz")).toStdString();
}

namespace fenwick::testing {

inline constexpr std::size_t kStampLength = 19; // "MM/DD/YYYY HH:MM:SS"

// The log's lines, each with its "\r\n"; a last piece without one is returned as it is, so that
// the checks of a line's end see it. No file reads as no lines.
inline std::vector<std::string> ReadLogLines(const QString& path) {
    QFile file(path);
    std::vector<std::string> lines;
    if (!file.open(QIODevice::ReadOnly)) {
        return lines;
    }
    const QByteArray bytes = file.readAll();
    const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find("\r\n", begin);
        const std::size_t next = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(text.substr(begin, next - begin));
        begin = next;
    }
    return lines;
}

// The local time a line starts with, when it starts with "MM/DD/YYYY HH:MM:SS " naming a real
// date and time (two digits each, four for the year).
inline std::optional<QDateTime> LineStamp(const std::string& line) {
    static const std::regex kStamp(R"(^\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2} )");
    if (!std::regex_search(line, kStamp)) {
        return std::nullopt;
    }
    const QDateTime stamp = QDateTime::fromString(QString::fromLatin1(line.data(), kStampLength),
                                                  QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    if (!stamp.isValid()) {
        return std::nullopt;
    }
    return stamp;
}

// What follows the timestamp and its blank, through the line's end.
inline std::string LineTail(const std::string& line) {
    return line.size() > kStampLength ? line.substr(kStampLength + 1) : std::string();
}

// The local time now to the second, as the log's timestamps have it.
inline QDateTime NowToTheSecond() {
    // From the clock the program stamps with: time() reads the kernel's coarse clock, which can
    // stand a few milliseconds behind the precise one just after a second begins.
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::time(nullptr)));
}

} // namespace fenwick::testing
