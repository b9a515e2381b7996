// Reduces an item's raw description to the short text of its summary.
#ifndef QUENDIX_CONVERT_SUMMARY_H
#define QUENDIX_CONVERT_SUMMARY_H

#include "convert/literal.h"

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
TextView KeptDescription(TextView description);

// The summary of a description as RawDescription would hold it: cut at its
// storage, then summarised.
TextView SummaryOf(TextView description);

} // namespace quendix

#endif
