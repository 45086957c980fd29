// The upgrade's progress bar: its marks and figure for the bytes sent, to the last byte of
// the largest image.
#include "ctl/upgrade_progress.h"

#include <gtest/gtest.h>

namespace fenwick::ctl {
namespace {

TEST(UpgradeProgress, TheBarShowsTheShareSent) {
    struct Case {
        std::uint32_t sent;
        std::uint32_t size;
        const char* bar;
    };
    const Case cases[] = {
        {0, 1000, "sw [          ]   0% 0/1000 bytes"},
        {512, 1024, "sw [#####     ]  50% 512/1024 bytes"},
        {1023, 1024, "sw [######### ]  99% 1023/1024 bytes"},
        {1024, 1024, "sw [##########] 100% 1024/1024 bytes"},
        // 32-bit sizes whose product with 100 would overflow 32 bits.
        {4000000000u, 4000000000u, "sw [##########] 100% 4000000000/4000000000 bytes"},
        {2000000000u, 4000000000u, "sw [#####     ]  50% 2000000000/4000000000 bytes"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UpgradeProgress::Bar(QStringLiteral("sw"), c.sent, c.size, 10),
                  QLatin1String(c.bar));
    }
}

} // namespace
} // namespace fenwick::ctl
