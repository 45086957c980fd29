// Reads the trap lines of the event log as they are appended, and keeps, for each text prefix
// of numbered traps ("storm-1000 000123 from 10.77.1.5"), the set of numbers seen, so that the
// traps lost are the numbers missing.
#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fenwick::bench {

class TrapLogReader {
public:
    explicit TrapLogReader(QString path) : path_(std::move(path)) {}

    // Reads what was appended since the last call.
    void Update();

    // The log's size now, without reading it.
    std::int64_t FileSize() const;

    // Trap lines read so far (lines with "Trap :").
    std::uint64_t TrapLines() const { return trapLines_; }
    // Distinct numbers of traps whose event text starts with `prefix` and a blank.
    std::uint64_t Numbered(const std::string& prefix) const;
    // Lines holding `text` anywhere in the event text.
    bool Contains(const std::string& text) const;

private:
    // The numbers seen for one prefix, one bit each, so that hundreds of thousands of traps do
    // not swell the process whose peak memory is measured.
    struct Seen {
        std::vector<bool> bits;
        std::uint64_t distinct = 0;
    };

    void Line(std::string_view line);

    QString path_;
    std::int64_t offset_ = 0;
    std::string partial_;
    std::uint64_t trapLines_ = 0;
    std::map<std::string, Seen, std::less<>> numbers_;
    std::set<std::string> texts_; // event texts without a number
};

} // namespace fenwick::bench
