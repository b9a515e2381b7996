// quendix convert -o DIR FEED...: many feeds in one call, each converted
// as a call of its own would convert it, into DIR/NAME.rec.
#ifndef QUENDIX_CLI_BATCH_COMMAND_H
#define QUENDIX_CLI_BATCH_COMMAND_H

#include "cli/options.h"

namespace quendix_cli {

// Returns the exit status: 0 when every feed was converted, 1 when one
// failed or the list or directory could not be had, 2 when two feeds would
// write the same record file (then nothing is written).
int RunBatch(const ConvertRequest& request);

} // namespace quendix_cli

#endif
