// Reduces an item's raw description to the short text of its summary.
#ifndef QUENDIX_CONVERT_SUMMARY_H
#define QUENDIX_CONVERT_SUMMARY_H

#include "convert/feed_storage.h"
#include "convert/text_search.h"

namespace quendix {

// Fills summary from the description content, taken as it stands in the
// feed. Three shapes are told apart by literal markers: escaped markup (the
// text before the first "&lt"), a linked picture (its alternative text, or
// the text after the link when that is empty), and plain text (its first 400
// characters). Nothing is decoded or stripped.
void SummariseDescription(const FieldText& description, FieldText& summary);

// The piece of description that SummariseDescription stores, before any
// cut: a stretch of description itself, empty when the rules take nothing.
TextView SummaryPiece(TextView description);

// Stores text[0, length) into field, cut at its storage, with whole
// characters at both edges.
void StorePiece(FieldText& field, const char16_t* text, std::size_t length);

} // namespace quendix

#endif
