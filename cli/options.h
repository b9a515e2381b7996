// Reading each command's options and operands. Options come first; an
// option after an operand, or one the command does not know, is a usage
// error, so a mistyped command never runs as something else.
#ifndef QUENDIX_CLI_OPTIONS_H
#define QUENDIX_CLI_OPTIONS_H

#include "encoding/labels.h"

#include <string>
#include <vector>

namespace quendix_cli {

struct ConvertRequest {
    bool explain = false;
    bool force = false;
    bool encodingChosen = false;
    quendix::Encoding encoding = quendix::Encoding::Utf8;
    std::string input;
    std::string output;
    // Whether a replaced output is put on disk before the rename. The form
    // for many feeds puts its whole directory on disk once at the end
    // instead: one wait for the disk per feed would cost more than the
    // conversions.
    bool syncBeforeReplacing = true;
    // The form for many feeds (-o DIR): each feed into DIR/NAME.rec, the
    // feeds named as operands and read from the --from list.
    bool toDirectory = false;
    bool quiet = false;
    bool listGiven = false;
    std::string directory;
    std::string feedList;
    std::vector<std::string> feeds;
};

struct ShowRequest {
    bool asJson = false;
    std::string path;
};

// Each reads the arguments that follow the command's name. They return an
// empty string when the arguments are good, else the usage error to print.
std::string ReadConvertArguments(int argc, const std::string* argv, ConvertRequest& request);
std::string ReadShowArguments(int argc, const std::string* argv, ShowRequest& request);

} // namespace quendix_cli

#endif
