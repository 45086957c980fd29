// Definition files of any content and size.
#include "codec/definition_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fenwick::DefinitionResult result = fenwick::DecodeDefinitionFile({data, size});
    if (result.status == fenwick::DefinitionStatus::Accepted &&
        result.values.AgentPort != static_cast<std::uint16_t>(result.values.BasePort + 2)) {
        __builtin_trap();
    }
    return 0;
}
