#include "fuzz/check_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace quendix_fuzz {

namespace {
std::string ScratchDirectory() {
    if (access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != 0 ? tmp : "/tmp";
}

// A conversion that never ends would write records until memory (under
// /dev/shm) or the disk ran out; capping every file this process writes
// far above any real record file (a feed text holds at most 21333 items)
// turns that into a prompt SIGXFSZ, which libFuzzer and ctest both report.
void CapFileSizes() {
    static const bool capped = [] {
        constexpr rlim_t kCap = 256u << 20;
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kCap) {
            limit.rlim_cur = kCap;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        return true;
    }();
    (void)capped;
}

} // namespace

ScratchFile::ScratchFile() {
    CapFileSizes();
    std::string pattern = ScratchDirectory() + "/quendix-check-XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0) {
        throw std::runtime_error("cannot create a scratch file in " + pattern);
    }
    close(fd);
    path_ = pattern;
}

ScratchFile::~ScratchFile() {
    std::remove(path_.c_str());
}

std::wstring ScratchFile::WidePath() const {
    // The scratch names are plain ASCII.
    return std::wstring(path_.begin(), path_.end());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::u16string Units(const std::string& littleEndianBytes) {
    std::u16string out;
    for (std::size_t i = 0; i + 1 < littleEndianBytes.size(); i += 2) {
        out += static_cast<char16_t>(static_cast<unsigned char>(littleEndianBytes[i]) |
                                     static_cast<unsigned char>(littleEndianBytes[i + 1]) << 8);
    }
    return out;
}

std::size_t FirstBrokenCharacter(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i; // a whole pair
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return i;
        }
    }
    return std::u16string::npos;
}

std::string Describe(const std::string& what, long long expected, long long got) {
    return what + ": expected " + std::to_string(expected) + ", got " + std::to_string(got);
}

} // namespace quendix_fuzz
