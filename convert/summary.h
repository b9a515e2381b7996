// Reduces an item's raw description to the short text of its summary.
#ifndef QUENDIX_CONVERT_SUMMARY_H
#define QUENDIX_CONVERT_SUMMARY_H

#include "convert/feed_storage.h"
#include "convert/literal.h"

#include <cstddef>

namespace quendix {

// The piece of the description, taken as it stands in the feed, that the
// summary holds before it is fitted: a stretch of description itself,
// empty when the rules take nothing. Three shapes are told apart by literal
// markers: escaped markup (the text before the first "&lt"), a linked
// picture (its alternative text, or the text after the link when that is
// empty), and plain text (its first 400 characters). Nothing is decoded or
// stripped.
TextView SummariseDescription(TextView description);

// A description as RawDescription would hold it: its first 31999
// characters.
inline TextView KeptDescription(TextView description) {
    constexpr std::size_t kDescriptionLimit = kRawDescriptionCapacity - 1;
    if (description.length > kDescriptionLimit) {
        description.length = kDescriptionLimit;
    }
    return description;
}

// The summary of a description as RawDescription would hold it: cut at its
// storage, then summarised.
inline TextView SummaryOf(TextView description) {
    // The summary rules look only for literals without surrogates or
    // spaces, and the record mends the edges of every piece it takes, so
    // the piece is the same whether or not the description's own edges
    // were mended at the cut.
    return SummariseDescription(KeptDescription(description));
}

} // namespace quendix

#endif
