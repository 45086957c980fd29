#include "codec/event_log_lines.h"
#include "codec/timestamp.h"
#include "codec/trap_body.h"
#include "test_addresses.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fenwick {
namespace {

using testing::Ip;

TEST(Timestamp, IsMonthFirstWithFixedWidths) {
    struct Case {
        LocalTime time;
        const char* text;
    };
    const Case cases[] = {
        {{2004, 1, 5, 9, 3, 7}, "01/05/2004 09:03:07"},
        {{2003, 12, 31, 23, 59, 59}, "12/31/2003 23:59:59"},
        {{1999, 6, 1, 0, 0, 0}, "06/01/1999 00:00:00"},
        {{2016, 12, 31, 23, 59, 60}, "12/31/2016 23:59:60"}, // a leap second
        // Values no clock gives still make 19 characters.
        {{123456, -4, 100, 24, 99, -1}, "00/99/9999 24:99:00"},
    };
    for (const Case& c : cases) {
        char buffer[kTimestampBufferSize + 1];
        std::fill(std::begin(buffer), std::end(buffer), '#');
        EXPECT_EQ(FormatTimestamp(c.time, std::span<char, kTimestampBufferSize>(buffer, 20)),
                  c.text);
        EXPECT_EQ(std::string(buffer), c.text);
        EXPECT_EQ(buffer[kTimestampBufferSize], '#') << "nothing past the buffer";
    }
}

TEST(TrapBody, HoldsTheAddressThenTheTextUpToAZeroOrTheEnd) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> body;
        bool accepted;
        std::uint32_t address;
        std::string text;
    };
    const Case cases[] = {
        {"terminated", {10, 77, 0, 1, 'u', 'p', 0, 'x'}, true, Ip("10.77.0.1"), "up"},
        {"to the end", {192, 168, 1, 254, 'd', 'o', 'w', 'n'}, true, Ip("192.168.1.254"), "down"},
        {"address only", {10, 0, 0, 9}, true, Ip("10.0.0.9"), ""},
        {"zero first", {10, 0, 0, 9, 0, 'x'}, true, Ip("10.0.0.9"), ""},
        {"high bytes", {10, 0, 0, 9, 0xE9, 0xFF}, true, Ip("10.0.0.9"), "\xE9\xFF"},
        {"three address bytes", {10, 77, 0}, false, 0, ""},
        {"empty", {}, false, 0, ""},
    };
    for (const Case& c : cases) {
        TrapBody trap;
        EXPECT_EQ(ParseTrapBody(c.body, trap), c.accepted) << c.what;
        EXPECT_EQ(trap.address, c.address) << c.what;
        EXPECT_EQ(trap.eventText, c.text) << c.what;
    }
}

TEST(EventLogLines, AreWrittenByteForByte) {
    constexpr const char* stamp = "01/05/2004 09:30:00";
    EXPECT_EQ(std::string(stamp) + TrapLineTail("10.77.0.1", "fan fail"),
              "01/05/2004 09:30:00 10.77.0.1 Trap :fan fail\r\n");
    EXPECT_EQ(TrapLineTail("10.77.0.1", ""), " 10.77.0.1 Trap :\r\n");
    EXPECT_EQ(TrapLineTail("10.77.0.1", "a\r\nb\rc\n"), " 10.77.0.1 Trap :a  b c \r\n");
    EXPECT_EQ(NotAliveLine(stamp, "10.77.0.2"), "01/05/2004 09:30:00 10.77.0.2 Not alive \r\n");
    EXPECT_EQ(UpgradeFailureLine(stamp, "10.77.0.3", "TFTP time out"),
              "01/05/2004 09:30:00 10.77.0.3 TFTP time out \r\n");
    EXPECT_EQ(UpgradeFailureLine(stamp, "10.77.0.3", "disk\r\nfull\n"),
              "01/05/2004 09:30:00 10.77.0.3 disk  full  \r\n");
}

TEST(EventLogLines, TurnEveryControlCharacterOfADeviceIntoABlank) {
    struct Case {
        const char* what;
        std::string text;
        std::string written;
    };
    const Case cases[] = {
        {"terminal escape", "\x1b[2J\x1b]0;owned\x07x", " [2J ]0;owned x"},
        {"nul, tab, form feed, delete", std::string("a\0b\tc\fd\x7F", 8), "a b c d "},
        {"C1 controls",
         "\x80\x85\x9B"
         "1m\x9F",
         "   1m "},
        {"edges of the ranges kept", "\x1F\x20~\xA0\xFF", "  ~\xA0\xFF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrapLineTail("10.77.0.1", c.text), " 10.77.0.1 Trap :" + c.written + "\r\n")
            << c.what;
        EXPECT_EQ(UpgradeFailureLine("01/05/2004 09:30:00", "10.77.0.3", c.text),
                  "01/05/2004 09:30:00 10.77.0.3 " + c.written + " \r\n")
            << c.what;
    }
}

} // namespace
} // namespace fenwick
