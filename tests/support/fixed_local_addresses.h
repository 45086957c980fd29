// LocalAddresses double: the list a test sets, returned as it stands.
#pragma once

#include "core/ports/local_addresses.h"

namespace fenwick::testing {

class FixedLocalAddresses final : public LocalAddresses {
public:
    explicit FixedLocalAddresses(std::vector<InterfaceAddress> list) : list_(std::move(list)) {}

    std::vector<InterfaceAddress> List() const override { return list_; }
    void Set(std::vector<InterfaceAddress> list) { list_ = std::move(list); }

private:
    std::vector<InterfaceAddress> list_;
};

} // namespace fenwick::testing
