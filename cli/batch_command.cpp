// Everything that can stop the whole call is settled first: the list is
// read, every record file named and the directory made. After that a feed
// that fails is reported and the others go on.
#include "cli/batch_command.h"

#include "cli/arguments.h"

#include "cli/convert_command.h"
#include "cli/explain.h"
#include "cli/feed_names.h"
#include "cli/progress.h"
#include "cli/system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quendix_cli {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "quendix: %s: %s\n", EscapeName(path).c_str(), what.c_str());
    return kExitFailure;
}

// One path a line; a carriage return before the newline (a list made on
// Windows) and empty lines are left out.
void AddLine(std::string& line, std::vector<std::string>& feeds) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    if (!line.empty()) {
        feeds.push_back(line);
    }
    line.clear();
}

int ReadFeedList(const std::string& list, std::vector<std::string>& feeds) {
    const bool standard = list == "-";
    const std::string name = standard ? "standard input" : list;
    std::FILE* file = standard ? stdin : OpenFile(list, "rb");
    if (file == nullptr) {
        return Fail(name, std::string("cannot open the feed list: ") + std::strerror(errno));
    }
    std::string line;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            if (chunk[i] == '\n') {
                AddLine(line, feeds);
            } else {
                line.push_back(chunk[i]);
            }
        }
    }
    AddLine(line, feeds);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    if (!standard) {
        std::fclose(file);
    }
    return failed ? Fail(name, std::string("cannot read the feed list: ") + std::strerror(error))
                  : 0;
}

// Standard input has no file name to name a record file after; two feeds
// with one name would write one file.
int CheckNames(const std::vector<std::string>& feeds, const std::vector<std::string>& names,
               const std::string& directory) {
    for (const std::string& feed : feeds) {
        if (feed == "-") {
            std::fprintf(stderr, "quendix: '-' (standard input) cannot be one of many feeds: "
                                 "its records would have no name; convert it alone\n");
            return kExitUsage;
        }
    }
    std::size_t first = 0;
    std::size_t second = 0;
    if (FindNameClash(names, first, second)) {
        std::fprintf(stderr, "quendix: %s and %s would both write %s; nothing written\n",
                     EscapeName(feeds[first]).c_str(), EscapeName(feeds[second]).c_str(),
                     EscapeName(RecordPathIn(directory, names[second])).c_str());
        return kExitUsage;
    }
    return 0;
}

int PrepareDirectory(const std::string& directory, bool quiet) {
    const FileFacts facts = ExamineFile(directory);
    if (facts.exists) {
        return facts.directory ? 0 : Fail(directory, "not a directory");
    }
    const int error = MakeDirectory(directory);
    if (error != 0) {
        return Fail(directory, std::string("cannot create directory: ") + std::strerror(error));
    }
    if (!quiet) {
        std::fprintf(stderr, "quendix: created directory %s\n", EscapeName(directory).c_str());
    }
    return 0;
}

// One feed, by the rules of the two-operand form.
bool ConvertOne(const ConvertRequest& request, const std::string& feed, const std::string& name,
                int& records) {
    if (name.empty()) {
        Fail(feed, "no file name to name its record file after");
        return false;
    }
    ConvertRequest one;
    one.explain = request.explain;
    one.force = request.force;
    one.encodingChosen = request.encodingChosen;
    one.encoding = request.encoding;
    one.input = feed;
    one.output = RecordPathIn(request.directory, name);
    one.syncBeforeReplacing = false;
    if (request.explain) {
        SetExplainPrefix(feed + ": ");
    }
    return RunConvert(one, records) == 0;
}

} // namespace

int RunBatch(const ConvertRequest& request) {
    std::vector<std::string> feeds = request.feeds;
    if (request.listGiven && ReadFeedList(request.feedList, feeds) != 0) {
        return kExitFailure;
    }
    std::vector<std::string> names;
    names.reserve(feeds.size());
    for (const std::string& feed : feeds) {
        names.push_back(RecordNameOf(feed));
    }
    const int checked = CheckNames(feeds, names, request.directory);
    if (checked != 0) {
        return checked;
    }
    if (PrepareDirectory(request.directory, request.quiet) != 0) {
        return kExitFailure;
    }
    // --explain writes lines of its own, which a line kept in place would
    // break up.
    BatchProgress progress(feeds.size(), StandardErrorIsTerminal() && !request.explain,
                           request.quiet);
    bool allConverted = true;
    for (std::size_t i = 0; i < feeds.size(); ++i) {
        progress.BeforeFeed();
        int records = 0;
        const bool converted = ConvertOne(request, feeds[i], names[i], records);
        progress.AfterFeed(converted, records);
        allConverted = allConverted && converted;
    }
    PutFileSystemOnDisk(request.directory);
    progress.Finish();
    return allConverted ? 0 : kExitFailure;
}

} // namespace quendix_cli
