#include "trap_body.h"

#include "byte_order.h"

#include <algorithm>

namespace fenwick {

namespace {
constexpr std::size_t kAddressLength = 4;
}

bool ParseTrapBody(std::span<const std::uint8_t> body, TrapBody& trap) {
    if (body.size() < kAddressLength) {
        return false;
    }
    const std::span<const std::uint8_t> text = body.subspan(kAddressLength);
    const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
    trap.address = LoadBe32(body.data());
    trap.eventText = std::string_view(reinterpret_cast<const char*>(text.data()),
                                      static_cast<std::size_t>(end - text.begin()));
    return true;
}

} // namespace fenwick
