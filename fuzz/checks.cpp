#include "fuzz/checks.h"

#include <stdexcept>

namespace quendix_fuzz {

const std::vector<std::string>& TargetNames() {
    static const std::vector<std::string> names = {
        "convert",        "convert_at_capacity", "load_feed",         "decode_utf8",
        "decode_utf16le", "decode_utf16be",      "decode_windows1252"};
    return names;
}

std::string RunCheck(const std::string& target, const std::string& bytes) {
    using quendix::Encoding;
    if (target == "convert") {
        return CheckConversion(bytes);
    }
    if (target == "convert_at_capacity") {
        return CheckConversionAtCapacity(bytes);
    }
    if (target == "load_feed") {
        return CheckFeedLoading(bytes);
    }
    if (target == "decode_utf8") {
        return CheckDecoder(Encoding::Utf8, bytes);
    }
    if (target == "decode_utf16le") {
        return CheckDecoder(Encoding::Utf16LE, bytes);
    }
    if (target == "decode_utf16be") {
        return CheckDecoder(Encoding::Utf16BE, bytes);
    }
    if (target == "decode_windows1252") {
        return CheckDecoder(Encoding::Windows1252, bytes);
    }
    throw std::invalid_argument("no fuzz target named " + target);
}

} // namespace quendix_fuzz
