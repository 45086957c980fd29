#include "pending_set.h"

#include "device_record.h"

namespace fenwick {

std::string_view PendingSet::ReadPendingSetMac() const {
    return FieldText(PendingSetMac);
}

void PendingSet::WritePendingSetMac(std::string_view macText) {
    SetFieldText(PendingSetMac, macText);
}

} // namespace fenwick
