// Fuzz target: arbitrary bytes through the UTF-8 decision and the line conversion. A line
// that converts keeps every character: ASCII as it was, the rest as code page 932 or as
// one "?" noted with its code point.
#include "util/Cp932.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    util::looksLikeUtf8(input);
    util::Utf8LineConverter converter;
    std::string cp932;
    std::vector<util::UnmappedCharacter> unmapped;
    if (!converter.convert(input, cp932, unmapped)) {
        return 0;
    }
    std::size_t ascii = 0;
    for (const char c : input) {
        ascii += static_cast<unsigned char>(c) < 0x80 ? 1 : 0;
    }
    // Never longer than the input (code page 932 needs at most as many bytes as UTF-8),
    // and every unmapped character stands as "?" where it says.
    if (cp932.size() > input.size() || cp932.size() < ascii) {
        std::abort();
    }
    for (const util::UnmappedCharacter& u : unmapped) {
        if (u.position >= cp932.size() || cp932[u.position] != '?' || u.codePoint < 0x80 || u.codePoint > 0x10FFFF) {
            std::abort();
        }
    }
    return 0;
}
