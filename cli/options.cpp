#include "cli/options.h"

#include <vector>

namespace quendix_cli {

namespace {

bool LooksLikeOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// The options whose value is the next argument.
bool TakesValue(const std::string& option) {
    return option == "--encoding" || option == "-o" || option == "--output-dir" ||
           option == "--from";
}

// Splits the arguments into options and operands. Options end at the first
// operand or at "--"; "-" alone is an operand (a standard stream).
std::string SplitArguments(int argc, const std::string* argv, const char* command,
                           std::vector<std::string>& options, std::vector<std::string>& operands) {
    int i = 0;
    bool optionsEnded = false;
    for (; i < argc && !optionsEnded && LooksLikeOption(argv[i]); ++i) {
        optionsEnded = argv[i] == "--";
        if (!optionsEnded) {
            options.push_back(argv[i]);
        }
        if (TakesValue(argv[i]) && i + 1 < argc) {
            options.push_back(argv[++i]);
        }
    }
    for (; i < argc; ++i) {
        if (!optionsEnded && LooksLikeOption(argv[i])) {
            return "option '" + argv[i] + "' must come before the operands of " + command;
        }
        operands.push_back(argv[i]);
    }
    return "";
}

std::string UnknownOption(const std::string& option, const char* command) {
    return "unknown option '" + option + "' for " + command;
}

std::string ChooseEncoding(const std::string& label, ConvertRequest& request) {
    if (!quendix::FindEncodingByLabel(label.data(), label.size(), &request.encoding)) {
        return "unknown encoding label '" + label + "' ('quendix encodings' lists them)";
    }
    request.encodingChosen = true;
    return "";
}

std::string NeedsValue(const std::string& option, const char* what) {
    return "option '" + option + "' needs " + what;
}

// The options of the form for many feeds. False when options[i] is none
// of them; error is set when its value is missing.
bool ReadManyFeedsOption(const std::vector<std::string>& options, std::size_t& i,
                         ConvertRequest& request, std::string& error) {
    const std::string& option = options[i];
    const bool hasValue = i + 1 < options.size();
    if (option == "--quiet") {
        request.quiet = true;
    } else if (option == "-o" || option == "--output-dir") {
        request.toDirectory = true;
        request.directory = hasValue ? options[++i] : "";
        error = request.directory.empty() ? NeedsValue(option, "a directory") : "";
    } else if (option == "--from") {
        request.listGiven = true;
        request.feedList = hasValue ? options[++i] : "";
        error =
            request.feedList.empty() ? NeedsValue(option, "a file ('-' for standard input)") : "";
    } else {
        return false;
    }
    return true;
}

std::string TakeInputOutput(const std::vector<std::string>& operands, ConvertRequest& request) {
    if (request.quiet || request.listGiven) {
        return std::string("option '") + (request.quiet ? "--quiet" : "--from") + "' needs -o DIR";
    }
    if (operands.size() != 2) {
        return "convert takes an input and an output";
    }
    request.input = operands[0];
    request.output = operands[1];
    return "";
}

std::string TakeFeeds(const std::vector<std::string>& operands, ConvertRequest& request) {
    if (operands.empty() && !request.listGiven) {
        return "convert -o DIR takes one or more feeds, or --from LIST";
    }
    request.feeds = operands;
    return "";
}

} // namespace

std::string ReadConvertArguments(int argc, const std::string* argv, ConvertRequest& request) {
    std::vector<std::string> options;
    std::vector<std::string> operands;
    std::string error = SplitArguments(argc, argv, "convert", options, operands);
    const std::string kEncodingEquals = "--encoding=";
    for (std::size_t i = 0; error.empty() && i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option == "--explain") {
            request.explain = true;
        } else if (option == "--force") {
            request.force = true;
        } else if (option == "--encoding") {
            error = i + 1 < options.size() ? ChooseEncoding(options[++i], request)
                                           : "option '--encoding' needs a label";
        } else if (option.compare(0, kEncodingEquals.size(), kEncodingEquals) == 0) {
            error = ChooseEncoding(option.substr(kEncodingEquals.size()), request);
        } else if (!ReadManyFeedsOption(options, i, request, error)) {
            error = UnknownOption(option, "convert");
        }
    }
    if (error.empty()) {
        error =
            request.toDirectory ? TakeFeeds(operands, request) : TakeInputOutput(operands, request);
    }
    return error;
}

std::string ReadShowArguments(int argc, const std::string* argv, ShowRequest& request) {
    std::vector<std::string> options;
    std::vector<std::string> operands;
    std::string error = SplitArguments(argc, argv, "show", options, operands);
    for (std::size_t i = 0; error.empty() && i < options.size(); ++i) {
        if (options[i] == "--json") {
            request.asJson = true;
        } else {
            error = UnknownOption(options[i], "show");
        }
    }
    if (error.empty() && operands.size() != 1) {
        error = "show takes one record file";
    }
    if (error.empty()) {
        request.path = operands[0];
    }
    return error;
}

} // namespace quendix_cli
