#include "define_arguments.h"

#include <charconv>

namespace fenwick {
namespace {

template <typename T> std::optional<T> ParseNumber(std::string_view text, int base) {
    T value{};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || status != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool IsHexDigits(std::string_view text) {
    return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

} // namespace

std::optional<DefineArguments> ParseDefineArguments(std::span<const std::string_view> arguments,
                                                    std::string& error) {
    DefineArguments result;
    if (arguments.size() == 1 && (arguments.front() == "--help" || arguments.front() == "-h")) {
        result.help = true;
        return result;
    }
    if (arguments.size() == 1 && arguments.front() == "--version") {
        result.version = true;
        return result;
    }
    if (!arguments.empty() && arguments.front() == "--force") {
        result.force = true;
        arguments = arguments.subspan(1);
    }
    if (arguments.size() != 3) {
        error = "expected KEY PORT FILE";
        return std::nullopt;
    }
    const std::string_view key = arguments[0];
    if (key.size() != 8 || !IsHexDigits(key)) {
        error = "KEY must be 8 hexadecimal digits";
        return std::nullopt;
    }
    result.agentKey = *ParseNumber<std::uint32_t>(key, 16);

    std::string_view port = arguments[1];
    int base = 10;
    if (port.starts_with("0x") || port.starts_with("0X")) {
        port.remove_prefix(2);
        base = 16;
    }
    const auto portValue =
        (base == 16 && !IsHexDigits(port)) ? std::nullopt : ParseNumber<std::uint16_t>(port, base);
    if (!portValue) {
        error = "PORT must be a number from 0 to 65535 (decimal, or hexadecimal after 0x)";
        return std::nullopt;
    }
    result.basePort = *portValue;

    if (arguments[2].empty()) {
        error = "FILE must not be empty";
        return std::nullopt;
    }
    result.path = std::string(arguments[2]);
    return result;
}

} // namespace fenwick
