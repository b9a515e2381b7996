// Printing a record file for people, or as JSON lines.
#ifndef QUENDIX_CLI_SHOW_H
#define QUENDIX_CLI_SHOW_H

#include <string>

namespace quendix_cli {

// Prints every record of the file at path on standard output. Returns the
// exit status: 0, or 1 with a message on standard error.
int ShowRecords(const std::string& path, bool asJson);

} // namespace quendix_cli

#endif
