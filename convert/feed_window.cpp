#include "convert/feed_window.h"

#include "convert/feed_storage.h"
#include "convert/item_watch.h"
#include "convert/markup.h"
#include "convert/record_edges.h"

#include <cstring>

namespace quendix {

namespace {

static_assert(kWindowLimit == kFeedTextCapacity - 1, "a window fills FeedText");

// One character past the window is read with it, into the terminator's
// place, to tell whether more text follows and whether the window would
// end on the first half of a pair.
//
// The read loop reads the input buffer and writes FeedText, and the record
// fitting reads FeedText and writes the output buffer. Were the buffers a
// multiple of 4 KiB apart, the processor would take many of those stores
// for ones that overlap the loads that follow them and wait on them, a
// measurable share of a typical conversion. Both stream buffers start on a 4 KiB
// boundary and FeedText 2080 bytes past one.
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kFeedTextShift = 1040; // characters
alignas(kPageBytes) char16_t FeedTextSpace[kFeedTextShift + kFeedTextCapacity];
char16_t* const FeedText = FeedTextSpace + kFeedTextShift;
TagPlace TagPlaces[kTagPlaceCapacity];

// The last "<item>" lying wholly in text[0, length) that starts at 1 or
// later; kNotFound when there is none. In a feed of items it is found
// within an item's length of the end.
std::ptrdiff_t FindLastItem(const char16_t* text, std::size_t length) {
    if (length <= kItemOpening.length) {
        return kNotFound;
    }
    for (std::size_t at = length - kItemOpening.length; at >= 1; --at) {
        if (text[at] == u'<' && LiteralStartsAt(text, length, at, kItemOpening)) {
            return static_cast<std::ptrdiff_t>(at);
        }
    }
    return kNotFound;
}

// The held text with its first count characters left behind: the rest
// moves to the front of FeedText.
template <class Watch> std::size_t PassText(Watch& watch, std::size_t held, std::size_t count) {
    if constexpr (Watch::kWatching) {
        watch.TextPassed(TextView{FeedText, count});
    }
    std::memmove(FeedText, FeedText + count, (held - count) * sizeof(char16_t));
    return held - count;
}

// Converts FeedText[0, length) as a whole text into outcome.
template <class Watch>
void ConvertWindow(std::size_t length, RecordOutput& output, Watch& watch, FeedOutcome& outcome) {
    const ItemLoopResult result =
        ConvertFeedText(TextView{FeedText, length}, TagPlaces, kTagPlaceCapacity, output, watch);
    outcome.records += result.records;
    outcome.refused = result.refused;
    if constexpr (Watch::kWatching) {
        watch.WindowEnds(TextView{FeedText, length});
    }
    ++outcome.windows;
}

// After a window with no "<item>" but at its start, the next window starts
// at the next "<item>" that begins after the window's first character:
// perhaps in the window's last five characters, perhaps much further on.
// Text before it is read and left behind. Returns the characters held from
// that "<item>" on, 0 when the feed has no further item.
template <class Watch>
std::size_t SkipToNextItem(DecodingInput& input, std::size_t windowLength, std::size_t held,
                           std::size_t readLimit, Watch& watch) {
    std::size_t from = windowLength - (kItemOpening.length - 1);
    for (;;) {
        const std::ptrdiff_t next = FindLiteral(FeedText, held, from, kItemOpening);
        if (next != kNotFound) {
            return PassText(watch, held, static_cast<std::size_t>(next));
        }
        if (AtEndOfInput(input) || input.readFailed) {
            return 0;
        }
        // An "<item>" may start in the last five characters and end in
        // what is read next.
        const std::size_t keepFrom =
            held - (kItemOpening.length - 1) > from ? held - (kItemOpening.length - 1) : from;
        held = LoadFeedText(input, FeedText, PassText(watch, held, keepFrom), readLimit);
        from = 0;
    }
}

} // namespace

std::size_t LoadFeedText(DecodingInput& input, char16_t* text, std::size_t held,
                         std::size_t limit) {
    // Reading line by line and appending each line gives exactly the text
    // read at once, so it is read straight into place: no copy, and no call
    // per line.
    return held + ReadText(input, text + held, limit - held);
}

template <class Watch>
FeedOutcome ConvertFeed(DecodingInput& input, RecordOutput& output, std::size_t windowLimit,
                        Watch& watch) {
    FeedOutcome outcome;
    const std::size_t readLimit = windowLimit + 1;
    std::size_t held = 0;
    for (;;) {
        held = LoadFeedText(input, FeedText, held, readLimit);
        if (input.readFailed) {
            outcome.readFailed = true;
            return outcome;
        }
        // Reading stops short of the window only at the end of the input,
        // or when a character above U+FFFF would not fit whole.
        if (held <= windowLimit && AtEndOfInput(input)) {
            ConvertWindow(held, output, watch, outcome);
            return outcome;
        }
        std::size_t window = windowLimit;
        if (held > windowLimit && IsHighSurrogate(FeedText[window - 1]) &&
            IsLowSurrogate(FeedText[window])) {
            --window; // the pair opens the next window whole
        }
        const std::ptrdiff_t lastItem = FindLastItem(FeedText, window);
        if (lastItem != kNotFound) {
            ConvertWindow(static_cast<std::size_t>(lastItem), output, watch, outcome);
            held = PassText(watch, held, static_cast<std::size_t>(lastItem));
        } else {
            // One item longer than a window: it is converted as far as the
            // window reaches.
            ConvertWindow(window, output, watch, outcome);
            if constexpr (Watch::kWatching) {
                watch.WindowCut(window);
            }
            if (!outcome.refused) {
                held = SkipToNextItem(input, window, held, readLimit, watch);
            }
            if constexpr (Watch::kWatching) {
                watch.WindowCutEnds(held == 0);
            }
            if (held == 0 || input.readFailed) {
                outcome.readFailed = input.readFailed;
                return outcome;
            }
        }
        if (outcome.refused) {
            return outcome;
        }
    }
}

template FeedOutcome ConvertFeed<Unwatched>(DecodingInput&, RecordOutput&, std::size_t, Unwatched&);
template FeedOutcome ConvertFeed<ItemWatch>(DecodingInput&, RecordOutput&, std::size_t, ItemWatch&);

} // namespace quendix
