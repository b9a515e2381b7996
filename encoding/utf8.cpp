#include "encoding/utf8.h"

#include "encoding/utf16.h"

namespace quendix {

std::size_t EncodeUtf8(char32_t value, char* out) {
    auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (value < 0x80) {
        out[0] = byte(value);
        return 1;
    }
    if (value < 0x800) {
        out[0] = byte(0xC0 | (value >> 6));
        out[1] = byte(0x80 | (value & 0x3F));
        return 2;
    }
    if (IsSurrogate(value) || value > 0x10FFFF) {
        return 0;
    }
    if (value < kFirstPairedCharacter) {
        out[0] = byte(0xE0 | (value >> 12));
        out[1] = byte(0x80 | ((value >> 6) & 0x3F));
        out[2] = byte(0x80 | (value & 0x3F));
        return 3;
    }
    out[0] = byte(0xF0 | (value >> 18));
    out[1] = byte(0x80 | ((value >> 12) & 0x3F));
    out[2] = byte(0x80 | ((value >> 6) & 0x3F));
    out[3] = byte(0x80 | (value & 0x3F));
    return 4;
}

std::size_t DecodeUtf8Strictly(const char* bytes, std::size_t size, char32_t* character) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    const std::size_t used = DecodeUtf8(data, size, true, character);
    // The feed decoder stands U+FFFD in for ill-formed bytes; only the
    // three bytes EF BF BD are U+FFFD itself.
    const bool replaced = *character == kReplacementCharacter &&
                          !(used == 3 && data[0] == 0xEF && data[1] == 0xBF && data[2] == 0xBD);
    return replaced ? 0 : used;
}

} // namespace quendix
