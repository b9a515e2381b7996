#include "fuzz/checks.h"

#include <stdexcept>

namespace quendix_fuzz {

const std::vector<std::string>& TargetNames() {
    static const std::vector<std::string> names = {"convert", "convert_at_capacity", "load_feed",
                                                   "decode"};
    return names;
}

std::string RunCheck(const std::string& target, const std::string& bytes) {
    if (target == "convert") {
        return CheckConversion(bytes);
    }
    if (target == "convert_at_capacity") {
        return CheckConversionAtCapacity(bytes);
    }
    if (target == "load_feed") {
        return CheckFeedLoading(bytes);
    }
    if (target == "decode") {
        return CheckAnyDecoder(bytes);
    }
    throw std::invalid_argument("no fuzz target named " + target);
}

} // namespace quendix_fuzz
