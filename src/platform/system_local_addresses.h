// The system's IPv4 addresses, read afresh on every call (interfaces come and go while the
// program runs: a cable plugged in, a Wi-Fi network joined).
#pragma once

#include "core/ports/local_addresses.h"

namespace fenwick {

class SystemLocalAddresses final : public LocalAddresses {
public:
    std::vector<InterfaceAddress> List() const override;
};

} // namespace fenwick
