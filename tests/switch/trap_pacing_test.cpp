// When the traps of a storm fall due, read against a clock the test sets.
#include "fenwick-switch/trap_pacing.h"

#include <gtest/gtest.h>

namespace fenwick::sim {
namespace {

using std::chrono::nanoseconds;

const SteadyTime kStart = SteadyTime{} + std::chrono::hours(1);

TEST(TrapPacing, CountsTheTrapsDueAtEachMoment) {
    struct Case {
        std::uint32_t rate;
        std::uint32_t seconds;
        std::int64_t atNanos; // from the start; negative is before it
        std::uint64_t due;
    };
    const Case cases[] = {
        {1000, 10, -1, 0},
        {1000, 10, 0, 1}, // the first trap leaves at the start
        {1000, 10, 999'999, 1},
        {1000, 10, 1'000'000, 2},
        {1000, 10, 1'000'000'000, 1001},
        {1000, 10, 9'999'000'000, 10000},
        {1000, 10, 10'000'000'000, 10000},
        {1000, 10, 3'600'000'000'000, 10000}, // never more than planned
        {3, 2, 333'333'333, 1},
        {3, 2, 333'333'334, 2},
        {3, 2, 1'999'999'999, 6},
        {1, 1, 999'999'999, 1},
        // The largest storm: the products must not overflow.
        {kMaxTrapRate, kMaxStormSeconds, 3'599'999'999'999, 3'600'000'000},
        {kMaxTrapRate, kMaxStormSeconds, 1'800'000'000'000, 1'800'000'001},
    };
    for (const Case& c : cases) {
        const TrapPacing pacing(c.rate, c.seconds, kStart);
        EXPECT_EQ(pacing.DueBy(kStart + nanoseconds(c.atNanos)), c.due)
            << c.rate << "/s for " << c.seconds << " s at " << c.atNanos << " ns";
    }
}

TEST(TrapPacing, EachTrapFallsDueAtItsOwnTimeAndNotBefore) {
    struct Case {
        std::uint32_t rate;
        std::uint32_t seconds;
    };
    const Case cases[] = {{1, 5}, {3, 7}, {7, 3}, {1000, 10}, {9999, 2}, {kMaxTrapRate, 4}};
    for (const Case& c : cases) {
        const TrapPacing pacing(c.rate, c.seconds, kStart);
        const std::uint64_t total = pacing.Total();
        ASSERT_EQ(total, std::uint64_t{c.rate} * c.seconds);
        for (const std::uint64_t index :
             {std::uint64_t{0}, std::uint64_t{1}, total / 3, total / 2 + 1, total - 2, total - 1}) {
            const SteadyTime due = pacing.DueTime(index);
            EXPECT_EQ(pacing.DueBy(due), index + 1) << c.rate << "/s, trap " << index;
            if (index > 0) {
                EXPECT_EQ(pacing.DueBy(due - nanoseconds(1)), index)
                    << c.rate << "/s, trap " << index;
            }
        }
        EXPECT_EQ(pacing.DueTime(0), kStart);
        EXPECT_LT(pacing.DueTime(total - 1), kStart + std::chrono::seconds(c.seconds));
    }
}

} // namespace
} // namespace fenwick::sim
