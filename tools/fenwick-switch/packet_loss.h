// Packet loss on demand. The kernels the lab runs on may lack netem, so a switch drops a share
// of its own TFTP packets. The draws come from a seeded generator (SplitMix64), so a test that
// sends the same packets in the same order loses the same ones on every run.
#pragma once

#include <cstdint>

namespace fenwick::sim {

inline constexpr std::uint32_t kMaxLossPercent = 100;

class PacketLoss {
public:
    explicit PacketLoss(std::uint64_t seed = 1) : state_(seed) {}

    // Whether the next packet is lost, with a chance of `percent` in 100. Draws nothing when
    // the chance is 0, so turning loss on starts from the seed.
    bool Drop(std::uint32_t percent) { return percent != 0 && Next() % 100 < percent; }

private:
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }

    std::uint64_t state_;
};

} // namespace fenwick::sim
