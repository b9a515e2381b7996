// quendix: the command-line face of the library.
//   quendix convert [--explain] [--encoding LABEL] [--force] INPUT OUTPUT
//   quendix show [--json] FILE
//   quendix encodings
// Each platform's entry point (cli/system_*.cpp) hands Run the arguments
// as UTF-8.
#include "cli/batch_command.h"
#include "cli/convert_command.h"
#include "cli/options.h"
#include "cli/show.h"
#include "cli/system.h"
#include "encoding/labels.h"
#include "quendix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kExitUsage = 2;

#define QUENDIX_STRINGIFY(value) #value
#define QUENDIX_VERSION_TEXT(major, minor, patch)                                                  \
    QUENDIX_STRINGIFY(major) "." QUENDIX_STRINGIFY(minor) "." QUENDIX_STRINGIFY(patch)

const char kUsage[] =
    "Usage: quendix convert [--explain] [--encoding LABEL] [--force] INPUT OUTPUT\n"
    "       quendix convert [--explain] [--encoding LABEL] [--force] [--quiet]\n"
    "                       -o DIR [--from LIST] [FEED...]\n"
    "       quendix show [--json] FILE\n"
    "       quendix encodings\n"
    "       quendix --help | --version\n"
    "\n"
    "convert    Reads the RSS 2.0 feed INPUT ('-' for standard input) and writes one\n"
    "           650-character record per news item to OUTPUT ('-' for standard\n"
    "           output), as UTF-16LE. Prints the number of records written, on\n"
    "           standard error when the records go to standard output. It will not\n"
    "           write over its input, nor over a file that is not a record file.\n"
    "  --explain         Also prints on standard error what became of each item:\n"
    "                    kept as which record, or dropped and why, and a total.\n"
    "  --encoding LABEL  Decodes the feed as LABEL whatever the file declares; a\n"
    "                    byte-order mark still wins. 'quendix encodings' lists\n"
    "                    the labels.\n"
    "  --force           Replaces OUTPUT even when it is not a record file.\n"
    "  -o, --output-dir DIR\n"
    "                    Converts each FEED into DIR/NAME.rec, NAME being its file\n"
    "                    name without its last extension, by the same rules; DIR is\n"
    "                    created if missing. A feed that fails is reported and the\n"
    "                    others go on. Two feeds with one NAME are refused before\n"
    "                    anything is written. A summary ends on standard error.\n"
    "  --from LIST       With -o: also the feeds listed in LIST, one path a line\n"
    "                    ('-' for standard input).\n"
    "  --quiet           With -o: prints errors only, no progress or summary.\n"
    "show       Prints the records of FILE ('-' for standard input), one block per\n"
    "           record with its title, date, summary and link, padding removed;\n"
    "           control characters are escaped (\\x1b, \\u0085) and a backslash is\n"
    "           doubled. With --json, JSON Lines: one JSON object per record and line.\n"
    "encodings  Lists every encoding --encoding accepts: its name, then its labels.\n"
    "\n"
    "Options come before the operands ('--' ends them). Each item is read by\n"
    "searching from its <item> for <title>, </title>, <description>, </description>,\n"
    "<link>, </link>, <pubDate> and </pubDate>, in that fixed order, each search\n"
    "starting where the last one found its element. An element given out of that\n"
    "order is taken from a later item: an item that gives <link> before\n"
    "<description> takes its link and date from the next item, and that next item\n"
    "gives no record of its own.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written or would be\n"
    "lost (with -o: when any feed failed), 2 on bad usage or clashing names.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "quendix: %s\ntry 'quendix --help'\n", message.c_str());
    return kExitUsage;
}

// Text for standard output: 0, or 1 with a message when it could not be
// written (a closed stream, a full disk).
int Print(const char* text) {
    std::fputs(text, stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "quendix: standard output: write failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

// One line per encoding: its name, then every label that names it.
int ListEncodings() {
    std::size_t count = 0;
    const quendix::EncodingLabel* labels = quendix::EncodingLabels(&count);
    for (std::size_t first = 0; first < count; ++first) {
        bool listed = false;
        for (std::size_t earlier = 0; earlier < first && !listed; ++earlier) {
            listed = labels[earlier].encoding == labels[first].encoding;
        }
        if (listed) {
            continue;
        }
        std::string line = quendix::EncodingName(labels[first].encoding);
        line += ":";
        for (std::size_t i = first; i < count; ++i) {
            if (labels[i].encoding == labels[first].encoding) {
                line += std::string(" ") + labels[i].label;
            }
        }
        std::fputs((line + "\n").c_str(), stdout);
    }
    return Print("");
}

} // namespace

namespace quendix_cli {

int Run(int argc, const std::string* argv) {
    PrepareProcess();
    if (argc < 1) {
        return UsageError("no command given");
    }
    const std::string& command = argv[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return Print(kUsage);
    }
    if (command == "--version") {
        return Print("quendix " QUENDIX_VERSION_TEXT(QUENDIX_VERSION_MAJOR, QUENDIX_VERSION_MINOR,
                                                     QUENDIX_VERSION_PATCH) "\n");
    }
    if (command == "convert") {
        ConvertRequest request;
        const std::string error = ReadConvertArguments(argc - 1, argv + 1, request);
        if (!error.empty()) {
            return UsageError(error);
        }
        return request.toDirectory ? RunBatch(request) : RunConvert(request);
    }
    if (command == "show") {
        ShowRequest request;
        const std::string error = ReadShowArguments(argc - 1, argv + 1, request);
        return error.empty() ? RunShow(request) : UsageError(error);
    }
    if (command == "encodings") {
        return argc == 1 ? ListEncodings() : UsageError("encodings takes no arguments");
    }
    return UsageError("unknown command '" + command + "'");
}

} // namespace quendix_cli
