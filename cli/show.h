// quendix show: a record file printed for people, or as JSON Lines.
#ifndef QUENDIX_CLI_SHOW_H
#define QUENDIX_CLI_SHOW_H

#include "cli/options.h"

namespace quendix_cli {

// Prints every record of the file ('-': standard input) on standard output.
// Returns the exit status: 0, or 1 with a message on standard error.
int RunShow(const ShowRequest& request);

} // namespace quendix_cli

#endif
