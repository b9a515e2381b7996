#include "bench/bench_support.h"

#include "bench/plain_port.h"
#include "quendix.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sys/stat.h>
#include <unistd.h>

namespace bench_support {

const char* const kFeedNames[] = {"typical",
                                  "small",
                                  "worst-open-dates",
                                  "worst-near-misses",
                                  "worst-angles",
                                  "windows-1251",
                                  "windows-1251-as-utf8",
                                  "shift_jis",
                                  "gb18030",
                                  "shift_jis-as-ascii",
                                  "gb18030-as-ascii",
                                  "shift_jis-run",
                                  "shift_jis-run-as-ascii",
                                  "russian",
                                  "arabic",
                                  "japanese",
                                  "chinese",
                                  "emoji",
                                  "long-50mb",
                                  "worst-window-edges"};
const std::size_t kFeedCount = sizeof kFeedNames / sizeof kFeedNames[0];

namespace {

bool FileSize(const std::string& path, std::size_t& size) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    size = static_cast<std::size_t>(status.st_size);
    return true;
}

bool IsDirectory(const char* path) {
    struct stat status;
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

bool MeasureFeed(FeedFile& feed, const std::string& output) {
    if (!FileSize(feed.path, feed.inputBytes)) {
        std::fprintf(stderr, "quendix_bench: missing feed %s\n", feed.path.c_str());
        return false;
    }
    feed.records = ConvertFile(Wide(feed.path).c_str(), Wide(output).c_str());
    if (!FileSize(output, feed.outputBytes)) {
        std::fprintf(stderr, "quendix_bench: cannot write %s\n", output.c_str());
        return false;
    }
    const int plainRecords = plain_port::Convert(feed.path.c_str(), output.c_str());
    if (plainRecords != feed.records) {
        std::fprintf(stderr, "quendix_bench: %s: the plain port found %d records, ConvertFile %d\n",
                     feed.name.c_str(), plainRecords, feed.records);
    }
    return true;
}

} // namespace

bool LoadFeeds(const std::string& directory, const std::string& output,
               std::vector<FeedFile>& feeds) {
    feeds.clear();
    feeds.reserve(kFeedCount);
    for (std::size_t i = 0; i < kFeedCount; ++i) {
        FeedFile feed;
        feed.name = kFeedNames[i];
        feed.path = directory + "/" + feed.name + ".xml";
        if (!MeasureFeed(feed, output)) {
            return false;
        }
        feeds.push_back(feed);
    }
    return true;
}

std::string ScratchPath(const std::string& stem) {
    const char* directory = std::getenv("TMPDIR");
    if (directory == nullptr || *directory == 0) {
        directory = IsDirectory("/dev/shm") ? "/dev/shm" : "/tmp";
    }
    return std::string(directory) + "/" + stem + "-" + std::to_string(getpid()) + ".rec";
}

std::string TakeOption(int& argc, char** argv, const std::string& prefix,
                       const std::string& fallback) {
    std::string value = fallback;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.compare(0, prefix.size(), prefix) == 0) {
            value = argument.substr(prefix.size());
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return value;
}

std::wstring Wide(const std::string& path) {
    std::wstring wide(path.size() + 1, L'\0');
    const std::size_t length = std::mbstowcs(&wide[0], path.c_str(), wide.size());
    wide.resize(length == static_cast<std::size_t>(-1) ? 0 : length);
    return wide;
}

} // namespace bench_support
