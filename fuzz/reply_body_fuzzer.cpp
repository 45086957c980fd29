// Reply bodies straight from the network into a record.
#include "codec/info_field.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fenwick::DeviceRecord record = fenwick::ZeroRecord();
    fenwick::ParseReplyBody({data, size}, record);
    // Every text must still end inside its field for the rest of the program.
    const auto bounded = [](std::string_view text, std::size_t field) {
        return text.size() < field;
    };
    if (!bounded(fenwick::FieldText(record.ProductName), sizeof record.ProductName) ||
        !bounded(fenwick::FieldText(record.SystemName), sizeof record.SystemName) ||
        !bounded(fenwick::FieldText(record.Location), sizeof record.Location) ||
        !bounded(fenwick::FieldText(record.Password), sizeof record.Password) ||
        !bounded(fenwick::FieldText(record.IpText), sizeof record.IpText)) {
        __builtin_trap();
    }
    return 0;
}
