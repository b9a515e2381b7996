// quendix convert: the conversion, with the checks that keep the user's
// files safe and the failures named for what they are.
#ifndef QUENDIX_CLI_CONVERT_COMMAND_H
#define QUENDIX_CLI_CONVERT_COMMAND_H

#include "cli/options.h"

namespace quendix_cli {

// Returns the exit status: 0, or 1 with a message on standard error.
int RunConvert(const ConvertRequest& request);
// The same for one feed among many: the count of records goes to records
// instead of being printed.
int RunConvert(const ConvertRequest& request, int& records);

} // namespace quendix_cli

#endif
