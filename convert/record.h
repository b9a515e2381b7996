// The record file: four fields fitted to fixed widths, written back to back.
#ifndef QUENDIX_CONVERT_RECORD_H
#define QUENDIX_CONVERT_RECORD_H

#include "convert/feed_storage.h"
#include "platform/wide_stream.h"

namespace quendix {

// Cuts field to its first width characters, or fills it with spaces up to
// width. A cut never leaves half a character at the end.
void FitField(FieldText& field, std::size_t width);

// The record filter, on fitted fields: a title holding "CDATA", or a summary
// that starts with a space (an empty one among them), bars the item.
bool KeepRecord(const FieldText& title, const FieldText& summary);

// Writes the fitted fields in record order: title, date, summary, link.
bool WriteRecord(WideOutputStream& output, const FieldText& title, const FieldText& date,
                 const FieldText& summary, const FieldText& link);

} // namespace quendix

#endif
