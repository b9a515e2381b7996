// The item loop. The order of the searches is the whole grammar: there is
// no XML parser.
#include "convert/item_loop.h"

#include "convert/item_watch.h"
#include "convert/record.h"
#include "convert/summary.h"
#include "convert/tag_index.h"

#include <cstdint>

// The item's searches stay inside the loop that runs them, as one
// function: called apart, the loop runs measurably more instructions per
// item.
#define QUENDIX_ALWAYS_INLINE inline __attribute__((always_inline))

namespace quendix {

namespace {

// The item's tags, in the order of ItemElement.
constexpr Literal kItemTags[] = {kItemOpening,      kFieldOpenings[0], kFieldClosings[0],
                                 kFieldOpenings[1], kFieldClosings[1], kFieldOpenings[2],
                                 kFieldClosings[2], kFieldOpenings[3], kFieldClosings[3]};

// Every tag search is answered from one list of where the tags stand, made
// in a single pass over the text.
struct ItemSearches {
    ItemSearches(TextView text, TagPlace* places, std::size_t capacity)
        : text(text), tags{text.text, text.length,
                           kItemTags, sizeof kItemTags / sizeof kItemTags[0],
                           places,    capacity} {}

    std::ptrdiff_t Find(ItemElement tag, std::size_t from) {
        return tags.Find(static_cast<std::size_t>(tag), from);
    }

    TextView text;
    TagIndex tags;
};

// The title search starts inside the "<item>" literal just found.
constexpr std::size_t kTitleSearchOffset = 2;

// Finds an opening literal from from; returns where its content starts,
// just past the literal, or kNotFound.
std::ptrdiff_t FindContentStart(ItemSearches& searches, ItemElement open, std::size_t from) {
    const std::ptrdiff_t tag = searches.Find(open, from);
    return tag == kNotFound
               ? kNotFound
               : tag +
                     static_cast<std::ptrdiff_t>(kItemTags[static_cast<std::size_t>(open)].length);
}

// Finds the closing literal from the content start itself, so an empty
// element gives an empty field, and points field at the content. False when
// the closing literal is missing.
bool TakeContent(ItemSearches& searches, ItemElement close, std::ptrdiff_t contentStart,
                 TextView& field) {
    const std::ptrdiff_t closing = searches.Find(close, static_cast<std::size_t>(contentStart));
    if (closing == kNotFound) {
        return false;
    }
    field = TextView{searches.text.text + contentStart,
                     static_cast<std::size_t>(closing - contentStart)};
    return true;
}

// Takes the title, description, link and date of the item whose "<item>"
// starts at itemAt, each searched from just past the previous one's content
// start. Sets scanPosition to the date's content start as soon as
// "<pubDate>" is found. False when an element is missing, which ends the
// item loop; missing then names it.
QUENDIX_ALWAYS_INLINE bool ExtractItemFields(ItemSearches& searches, std::size_t itemAt,
                                             std::int32_t& scanPosition, ItemFields& item,
                                             ItemElement& missing) {
    const std::ptrdiff_t title =
        FindContentStart(searches, ItemElement::Title, itemAt + kTitleSearchOffset);
    if (title == kNotFound || !TakeContent(searches, ItemElement::TitleEnd, title, item.title)) {
        missing = title == kNotFound ? ItemElement::Title : ItemElement::TitleEnd;
        return false;
    }
    const std::ptrdiff_t description =
        FindContentStart(searches, ItemElement::Description, static_cast<std::size_t>(title) + 1);
    if (description == kNotFound ||
        !TakeContent(searches, ItemElement::DescriptionEnd, description, item.description)) {
        missing = description == kNotFound ? ItemElement::Description : ItemElement::DescriptionEnd;
        return false;
    }
    const std::ptrdiff_t link =
        FindContentStart(searches, ItemElement::Link, static_cast<std::size_t>(description) + 1);
    if (link == kNotFound || !TakeContent(searches, ItemElement::LinkEnd, link, item.link)) {
        missing = link == kNotFound ? ItemElement::Link : ItemElement::LinkEnd;
        return false;
    }
    const std::ptrdiff_t date =
        FindContentStart(searches, ItemElement::Date, static_cast<std::size_t>(link) + 1);
    if (date == kNotFound) {
        missing = ItemElement::Date;
        return false;
    }
    scanPosition = static_cast<std::int32_t>(date);
    if (!TakeContent(searches, ItemElement::DateEnd, date, item.date)) {
        missing = ItemElement::DateEnd;
        return false;
    }
    return true;
}

// Tells the watcher about the item at itemAt. Only a watched loop pays for
// the extra search: the next "<item>" after this one, which shows the
// fields taken from a later item.
template <class Watch>
void Report(Watch& watch, ItemSearches& searches, std::size_t itemAt, const ItemFields& item,
            bool complete, ItemElement missing, RecordFate fate) {
    if constexpr (Watch::kWatching) {
        const ItemSighting sighting{
            itemAt, searches.Find(ItemElement::Item, itemAt + 1), &item, complete, missing, fate};
        watch.ItemSeen(searches.text, sighting);
    }
}

} // namespace

template <class Watch>
ItemLoopResult ConvertFeedText(TextView text, TagPlace* places, std::size_t placeCapacity,
                               RecordOutput& output, Watch& watch) {
    ItemSearches searches(text, places, placeCapacity);
    ItemLoopResult result;
    std::int32_t scanPosition = 0;
    bool firstPass = true;
    for (;;) {
        // The first search starts at the very first character, so that an
        // item opening the text is not missed; later ones start just past
        // the previous item's date.
        const std::size_t from = firstPass ? 0 : static_cast<std::size_t>(scanPosition) + 1;
        firstPass = false;
        const std::ptrdiff_t itemAt = searches.Find(ItemElement::Item, from);
        if (itemAt == kNotFound) {
            break;
        }
        ItemFields item{};
        ItemElement missing = ItemElement::Title;
        if (!ExtractItemFields(searches, static_cast<std::size_t>(itemAt), scanPosition, item,
                               missing)) {
            Report(watch, searches, static_cast<std::size_t>(itemAt), item, false, missing,
                   RecordFate::Dropped);
            break;
        }
        const RecordFate fate = WriteRecord(
            output, ItemFields{item.title, SummaryOf(item.description), item.link, item.date});
        Report(watch, searches, static_cast<std::size_t>(itemAt), item, true, missing, fate);
        if (fate == RecordFate::Refused) {
            result.refused = true; // nothing after it can land
            break;
        }
        if (fate == RecordFate::Written) {
            ++result.records;
        }
    }
    return result;
}

template ItemLoopResult ConvertFeedText<Unwatched>(TextView, TagPlace*, std::size_t, RecordOutput&,
                                                   Unwatched&);
template ItemLoopResult ConvertFeedText<ItemWatch>(TextView, TagPlace*, std::size_t, RecordOutput&,
                                                   ItemWatch&);

} // namespace quendix
