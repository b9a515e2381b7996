// Feeds of any length in the one fixed FeedText: the text is converted
// window by window, each window ending before the last "<item>" that lies
// wholly in it, so that item opens the next window whole.
#ifndef QUENDIX_CONVERT_FEED_WINDOW_H
#define QUENDIX_CONVERT_FEED_WINDOW_H

#include "convert/item_loop.h"
#include "platform/record_output.h"
#include "reading/decoding_input.h"

#include <cstddef>

namespace quendix {

// The fewest a test may ask for.
constexpr std::size_t kSmallestWindow = 16;

// Reads characters after the held ones at the front of text until it holds
// limit of them or the input ends; returns how many it holds. A character
// above U+FFFF that would not fit whole is left for the next read.
std::size_t LoadFeedText(DecodingInput& input, char16_t* text, std::size_t held, std::size_t limit);

struct FeedOutcome {
    int records = 0;
    long long windows = 0;
    bool refused = false;    // the file refused a write
    bool readFailed = false; // reading the input failed
};

// Converts the whole input, whose encoding is chosen, window by window.
// windowLimit is kWindowLimit, or smaller where tests want many windows
// from a small feed (at least 16).
template <class Watch>
FeedOutcome ConvertFeed(DecodingInput& input, RecordOutput& output, std::size_t windowLimit,
                        Watch& watch);

} // namespace quendix

#endif
