// The record file: four fields fitted to fixed widths, written back to back.
#ifndef QUENDIX_CONVERT_RECORD_H
#define QUENDIX_CONVERT_RECORD_H

#include "convert/feed_storage.h"
#include "convert/literal.h"
#include "platform/record_output.h"
#include "reading/decoding_input.h"

namespace quendix {

// An item's four fields where they stand in the feed text, in the order
// they are searched for: nothing is copied until the record is written.
struct ItemFields {
    TextView title;
    TextView description;
    TextView link;
    TextView date;
};

// Puts piece into out cut to its first width characters, or filled with
// spaces up to width. A cut never leaves half a character at either end.
// Returns the number of characters taken from piece.
std::size_t FitField(char16_t* out, TextView piece, std::size_t width);

// The record filter, on fitted fields: a title holding "CDATA", or a summary
// that starts with a space (an empty one among them), bars the item.
// titleKept is the number of the title's own characters before its padding.
bool KeepRecord(const char16_t* fittedTitle, std::size_t titleKept, const char16_t* fittedSummary);

enum class RecordFate { Written, Dropped, Refused };

// Fits the fields straight into the output queue, in record order (title,
// date, summary, link), and keeps the record there unless the filter bars
// it. Refused once the file has refused a write. The summary is the
// description field as given: the item loop puts there what SummaryOf
// gives for the item's description.
RecordFate WriteRecord(RecordOutput& output, const ItemFields& fields);

} // namespace quendix

#endif
