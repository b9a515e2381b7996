// What the benchmark and the callgrind driver share: the feed files, their
// sizes, and where output goes.
#ifndef QUENDIX_BENCH_BENCH_SUPPORT_H
#define QUENDIX_BENCH_BENCH_SUPPORT_H

#include <cstddef>
#include <string>
#include <vector>

namespace bench_support {

// The benchmark feeds, in the order they are reported.
extern const char* const kFeedNames[];
extern const std::size_t kFeedCount;

struct FeedFile {
    std::string name;
    std::string path;
    std::size_t inputBytes = 0;
    std::size_t outputBytes = 0; // what ConvertFile writes for it
    int records = 0;
};

// Finds each feed in directory and converts it once with ConvertFile into
// output, to learn its output size and record count. Also checks that the
// plain port finds as many records. False, with a message, when a feed is
// missing or cannot be converted.
bool LoadFeeds(const std::string& directory, const std::string& output,
               std::vector<FeedFile>& feeds);

// A file name in a RAM-backed scratch directory, unique to this process.
std::string ScratchPath(const std::string& stem);

// Removes "--name=value" from argv and returns value, or fallback.
std::string TakeOption(int& argc, char** argv, const std::string& prefix,
                       const std::string& fallback);

// A path in the multibyte locale as wide characters.
std::wstring Wide(const std::string& path);

} // namespace bench_support

#endif
