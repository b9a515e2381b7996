// The conversion's working storage, declared: fixed in size, module-level,
// zero at load (FeedText and TagPlaces are defined in feed_window.cpp, the
// stream buffers in feed_storage.cpp). A conversion allocates nothing else. Capacities count 16-bit
// characters and include room for a terminator.
#ifndef QUENDIX_CONVERT_FEED_STORAGE_H
#define QUENDIX_CONVERT_FEED_STORAGE_H

#include "convert/tag_index.h"
#include "platform/record_output.h"
#include "quendix.h"
#include "reading/decoding_input.h"

#include <cstddef>

namespace quendix {

constexpr std::size_t kFeedTextCapacity = 128000;
// A description is summarised from its first 31999 characters only, as if
// it were held in storage of this capacity; it is never copied out.
constexpr std::size_t kRawDescriptionCapacity = 32000;

// Field widths in the record, in record order.
constexpr std::size_t kTitleWidth = 100;
constexpr std::size_t kDateWidth = 50;
constexpr std::size_t kSummaryWidth = 400;
constexpr std::size_t kLinkWidth = 100;
// Where each field starts in a record.
constexpr std::size_t kDateAt = kTitleWidth;
constexpr std::size_t kSummaryAt = kDateAt + kDateWidth;
constexpr std::size_t kLinkAt = kSummaryAt + kSummaryWidth;
constexpr std::size_t kRecordWidth = kLinkAt + kLinkWidth;
static_assert(kTitleWidth == QUENDIX_TITLE_CHARS && kDateWidth == QUENDIX_DATE_CHARS &&
                  kSummaryWidth == QUENDIX_SUMMARY_CHARS && kLinkWidth == QUENDIX_LINK_CHARS,
              "the record's widths are those the public header gives");
static_assert(kDateAt == QUENDIX_DATE_OFFSET && kSummaryAt == QUENDIX_SUMMARY_OFFSET &&
                  kLinkAt == QUENDIX_LINK_OFFSET && kRecordWidth == QUENDIX_RECORD_CHARS,
              "the record's layout is the one the public header gives");

// Where the item's tag literals stand in FeedText, listed in one pass (see
// TagIndex): each of the nine tags gets a ninth, about 900 places, nearly
// four times the items of a typical full feed. The text after the first
// tag to run out of places is searched directly.
constexpr std::size_t kTagPlaceCapacity = 8192;

// Buffers of the two file streams.
extern unsigned char InputBytes[kInputBufferBytes];
extern char16_t OutputUnits[kOutputBufferUnits];

} // namespace quendix

#endif
