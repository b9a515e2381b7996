// The item loop over one whole text: find each "<item>", take its four
// elements in their fixed order, and write a record for each kept item.
#ifndef QUENDIX_CONVERT_ITEM_LOOP_H
#define QUENDIX_CONVERT_ITEM_LOOP_H

#include "convert/conversion.h"
#include "convert/literal.h"
#include "convert/markup.h"
#include "convert/record.h"
#include "convert/tag_index.h"
#include "platform/record_output.h"

#include <cstddef>

namespace quendix {

// What the loop did with one "<item>", for a watcher. Positions are
// indices into the text the loop was given.
struct ItemSighting {
    std::size_t itemAt;
    std::ptrdiff_t nextItemAt; // the next "<item>" after this one, or kNotFound
    const ItemFields* content; // the fields found, when complete
    bool complete;
    ItemElement missing; // when not complete
    RecordFate fate;     // when complete
};

// The library's own loop is watched by no one: every call to it compiles
// away.
struct Unwatched {
    static constexpr bool kWatching = false;
    void ItemSeen(TextView, const ItemSighting&) {}
};

struct ItemLoopResult {
    int records = 0;      // records handed to the output
    bool refused = false; // the file refused a write: nothing more can land
};

// Walks text item by item, from its first character, as one whole text:
// no search sees past its end. places holds where the tags stand while the
// loop runs.
template <class Watch>
ItemLoopResult ConvertFeedText(TextView text, TagPlace* places, std::size_t placeCapacity,
                               RecordOutput& output, Watch& watch);

} // namespace quendix

#endif
