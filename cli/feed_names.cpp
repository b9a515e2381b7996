#include "cli/feed_names.h"

#include <unordered_map>

namespace quendix_cli {

namespace {

#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
const char kSeparators[] = "/\\";
#else
constexpr bool kNamesIgnoreCase = false;
const char kSeparators[] = "/";
#endif

// The key two names share when they reach the same file. Windows folds
// case; only ASCII letters are folded here, so two names that differ only
// in the case of other letters are not caught there.
std::string ClashKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (kNamesIgnoreCase && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

} // namespace

std::string RecordNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    if (file.empty() || file == "." || file == "..") {
        return "";
    }
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos || dot == 0 ? file : file.substr(0, dot);
}

std::string RecordPathIn(const std::string& directory, const std::string& name) {
    const bool separated = directory.find_last_of(kSeparators) == directory.size() - 1;
    return directory + (separated ? "" : "/") + name + ".rec";
}

bool FindNameClash(const std::vector<std::string>& names, std::size_t& first, std::size_t& second) {
    std::unordered_map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) {
            continue;
        }
        const auto placed = seen.emplace(ClashKey(names[i]), i);
        if (!placed.second) {
            first = placed.first->second;
            second = i;
            return true;
        }
    }
    return false;
}

} // namespace quendix_cli
