#include "definition_file.h"

#include "validation.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace fenwick {
namespace {

// The character map E(x) = 32 + ((x - 32) * 67 + 29) mod 96 over the 96 characters from space
// to DEL.
constexpr std::uint32_t kCipherBase = 32;
constexpr std::uint32_t kCipherModulus = 96;
constexpr std::uint32_t kCipherMultiplier = 67;
constexpr std::uint32_t kCipherOffset = 29;

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

bool IsCiphered(std::uint8_t ch) {
    return ch >= kCipherBase && ch < kCipherBase + kCipherModulus;
}

// Removes CR LF pairs the way deployed files expect: the scan never looks again at the byte
// moved into the current position, so of two adjacent pairs only the first goes, and each
// removal clears only the byte at length - 2.
void RemoveLineEnds(std::span<std::uint8_t> buffer, std::size_t length) {
    for (std::size_t p = 0; p < length; ++p) {
        if (buffer[p] == kCr && p + 1 < length && buffer[p + 1] == kLf) {
            std::memmove(&buffer[p], &buffer[p + 2], length - (p + 2));
            buffer[length - 2] = 0;
        }
    }
}

// The `width` characters after position `from` of the text, cut short at its end.
std::string_view Field(std::string_view text, std::ptrdiff_t from, std::size_t width) {
    const auto start = static_cast<std::size_t>(from);
    return start >= text.size() ? std::string_view{} : text.substr(start, width);
}

template <std::size_t N> std::uint32_t BigEndianValue(std::string_view hexField) {
    std::array<std::uint8_t, N> bytes{};
    // A field that is not hexadecimal leaves the value 0.
    static_cast<void>(HexTextToBytes(hexField, bytes));
    std::uint32_t value = 0;
    for (std::uint8_t byte : bytes) {
        value = (value << 8) | byte;
    }
    return value;
}

} // namespace

std::uint16_t FoldedByteSum(std::span<const std::uint8_t> bytes) {
    std::uint16_t sum = 0;
    for (std::uint8_t byte : bytes) {
        sum = static_cast<std::uint16_t>(sum + byte);
    }
    const unsigned folded = (sum % 256u) + (sum / 256u);
    return static_cast<std::uint16_t>((folded % 256u) + (folded / 256u));
}

EuclidCoefficients ExtendedEuclid(std::uint32_t a, std::uint32_t b) {
    const bool aLarger = a >= b;
    std::uint32_t previous = aLarger ? a : b;
    std::uint32_t current = aLarger ? b : a;
    // Coefficients of (larger, smaller) for the previous and the current remainder.
    std::int64_t previousLarger = 1, previousSmaller = 0;
    std::int64_t currentLarger = 0, currentSmaller = 1;
    while (current != 0) {
        const std::uint32_t quotient = previous / current;
        const std::uint32_t next = previous - quotient * current;
        const std::int64_t nextLarger = previousLarger - quotient * currentLarger;
        const std::int64_t nextSmaller = previousSmaller - quotient * currentSmaller;
        previous = current;
        current = next;
        previousLarger = currentLarger;
        previousSmaller = currentSmaller;
        currentLarger = nextLarger;
        currentSmaller = nextSmaller;
    }
    const auto larger = static_cast<std::int32_t>(previousLarger);
    const auto smaller = static_cast<std::int32_t>(previousSmaller);
    return aLarger ? EuclidCoefficients{larger, smaller} : EuclidCoefficients{smaller, larger};
}

std::uint32_t AffineDecode(std::uint32_t x, std::uint32_t modulus, std::uint32_t multiplier,
                           std::uint32_t offset) {
    std::int32_t inverse = ExtendedEuclid(modulus, multiplier).t;
    if (inverse < 0) {
        inverse += static_cast<std::int32_t>(modulus);
    }
    const auto t = static_cast<std::uint32_t>(inverse);
    const std::uint32_t r = ((modulus - offset) * t) % modulus;
    return (x * t + r) % modulus;
}

std::uint8_t DecodeDefinitionChar(std::uint8_t ch) {
    if (!IsCiphered(ch)) {
        return ch;
    }
    return static_cast<std::uint8_t>(kCipherBase + AffineDecode(ch - kCipherBase, kCipherModulus,
                                                                kCipherMultiplier, kCipherOffset));
}

std::uint8_t EncodeDefinitionChar(std::uint8_t ch) {
    if (!IsCiphered(ch)) {
        return ch;
    }
    return static_cast<std::uint8_t>(
        kCipherBase + ((ch - kCipherBase) * kCipherMultiplier + kCipherOffset) % kCipherModulus);
}

DefinitionResult DecodeDefinitionFile(std::span<const std::uint8_t> file) {
    DefinitionResult result;
    const std::size_t length = file.size();
    if (length < kDefinitionFileMinLength) {
        result.status = DefinitionStatus::TooShort;
        return result;
    }
    if (length > kDefinitionFileMaxLength) {
        result.status = DefinitionStatus::TooLong;
        return result;
    }
    if (FoldedByteSum(file) != 255) {
        result.status = DefinitionStatus::ChecksumError;
        return result;
    }

    std::array<std::uint8_t, kDefinitionFileMaxLength> buffer{};
    std::copy(file.begin(), file.end(), buffer.begin());
    RemoveLineEnds(buffer, length);
    buffer[length - 4] = 0;

    const auto textEnd = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
    std::transform(buffer.begin(), textEnd, buffer.begin(), DecodeDefinitionChar);
    const std::string_view text(reinterpret_cast<const char*>(buffer.data()),
                                static_cast<std::size_t>(textEnd - buffer.begin()));

    const std::size_t first = text.find('=');
    const std::ptrdiff_t i1 =
        first == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(first);
    const std::size_t second = text.find('=', static_cast<std::size_t>(i1 + 1));
    const std::ptrdiff_t i2 =
        second == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(second);

    ProtocolValues& values = result.values;
    values.AgentKey = BigEndianValue<4>(Field(text, i1 + 1, 8));
    values.BasePort = static_cast<std::uint16_t>(BigEndianValue<2>(Field(text, i2 + 1, 4)));
    values.UnicastPort = static_cast<std::uint16_t>(values.BasePort + 1);
    values.AgentPort = static_cast<std::uint16_t>(values.UnicastPort + 1);
    result.status = DefinitionStatus::Accepted;
    return result;
}

std::vector<std::uint8_t> EncodeDefinitionFile(std::uint32_t agentKey, std::uint16_t basePort) {
    // Three non-adjacent CR LF pairs: the reader removes them all and so keeps the whole text.
    char plain[64];
    std::snprintf(plain, sizeof plain, "AgentKey=%08X\r\nBasePort=%04X\r\n#", agentKey,
                  static_cast<unsigned>(basePort));
    std::vector<std::uint8_t> file;
    for (const char* c = plain; *c != '\0'; ++c) {
        file.push_back(EncodeDefinitionChar(static_cast<std::uint8_t>(*c)));
    }
    // Filler characters on the last line bring the byte sum to a positive multiple of 255;
    // the reader ignores everything after the port field.
    unsigned sum = kCr + kLf; // the final line end counts too
    for (std::uint8_t byte : file) {
        sum += byte;
    }
    unsigned missing = (255u - sum % 255u) % 255u;
    constexpr unsigned kLowest = kCipherBase;
    constexpr unsigned kHighest = kCipherBase + kCipherModulus - 1;
    while (missing != 0) {
        if (missing < kLowest) {
            missing += 255; // no single stored character is that small
        }
        const unsigned byte = std::min(missing, kHighest);
        const unsigned rest = missing - byte;
        // Leave a remainder that another filler character can make up.
        const unsigned stored = (rest != 0 && rest < kLowest) ? byte - (kLowest - rest) : byte;
        file.push_back(static_cast<std::uint8_t>(stored));
        missing -= stored;
    }
    file.push_back(kCr);
    file.push_back(kLf);
    return file;
}

} // namespace fenwick
