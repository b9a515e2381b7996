#include "convert/item_watch.h"

#include "convert/markup.h"
#include "convert/summary.h"

#include "quendix.h"

namespace quendix {

namespace {

long long CountLineBreaks(const char16_t* text, std::size_t from, std::size_t to) {
    long long breaks = 0;
    for (std::size_t i = from; i < to; ++i) {
        breaks += text[i] == u'\n';
    }
    return breaks;
}

bool Holds(TextView text, const Literal& literal) {
    return FindLiteral(text.text, text.length, 0, literal) != kNotFound;
}

// Why the record filter barred a complete item: the title first, as the
// filter looks at it, then what emptied the summary.
ItemFate WhyDropped(const ItemFields& item) {
    TextView title = item.title;
    if (title.length > QUENDIX_TITLE_CHARS) {
        title.length = QUENDIX_TITLE_CHARS;
    }
    if (Holds(title, kCharacterData)) {
        return ItemFate::TitleHoldsCdata;
    }
    if (SummaryOf(item.description).length != 0) {
        return ItemFate::SummaryStartsWithSpace;
    }
    const TextView description = KeptDescription(item.description);
    if (Holds(description, kEscapedMarkup)) {
        return ItemFate::DescriptionStartsEscaped;
    }
    return Holds(description, kAlternativeText) ? ItemFate::PictureTextEmpty
                                                : ItemFate::SummaryEmpty;
}

ItemFate FateOf(const ItemSighting& sighting) {
    if (!sighting.complete) {
        return ItemFate::Incomplete;
    }
    switch (sighting.fate) {
    case RecordFate::Written:
        return ItemFate::Kept;
    case RecordFate::Refused:
        return ItemFate::WriteRefused;
    case RecordFate::Dropped:
        break;
    }
    return WhyDropped(*sighting.content);
}

} // namespace

long long ItemWatch::LineOf(TextView text, std::size_t at) {
    // Items come in order within a window, so each break is counted once.
    linesInWindow_ += CountLineBreaks(text.text, countedUpTo_, at);
    countedUpTo_ = at;
    return linesBeforeWindow_ + linesInWindow_ + 1;
}

void ItemWatch::TextPassed(TextView passed) {
    passed_ += passed.length;
    linesBeforeWindow_ += CountLineBreaks(passed.text, 0, passed.length);
    countedUpTo_ = 0;
    resumeAt_ = 0;
    linesInWindow_ = 0;
}

void ItemWatch::WindowEnds(TextView window) {
    std::ptrdiff_t at = FindLiteral(window.text, window.length, resumeAt_, kItemOpening);
    if (at == kNotFound) {
        return;
    }
    const long long firstLine = LineOf(window, static_cast<std::size_t>(at));
    long long count = 0;
    for (; at != kNotFound; at = FindLiteral(window.text, window.length,
                                             static_cast<std::size_t>(at) + 1, kItemOpening)) {
        ++count;
    }
    observer_.ItemsPassedOver(count, firstLine);
}

void ItemWatch::WindowCut(std::size_t window) {
    cutFrom_ = passed_;
    cutWindow_ = window;
}

void ItemWatch::WindowCutEnds(bool atEnd) {
    // At the feed's end the window's text was not passed on: it counts too.
    const unsigned long long length = passed_ - cutFrom_;
    observer_.ItemCut(cutWindow_, atEnd && length == 0 ? cutWindow_ : length, atEnd);
}

namespace {

// The "<item>"s from the next one on to where the borrowed date's content
// starts, which the item loop passes over.
void NoteSkippedItems(TextView text, const ItemSighting& sighting, std::size_t dateAt,
                      long long itemLine, ItemReport& report) {
    std::ptrdiff_t at = sighting.nextItemAt;
    report.firstSkippedLine =
        itemLine + CountLineBreaks(text.text, sighting.itemAt, static_cast<std::size_t>(at));
    while (at != kNotFound && static_cast<std::size_t>(at) < dateAt) {
        ++report.skipped;
        at = FindLiteral(text.text, dateAt, static_cast<std::size_t>(at) + 1, kItemOpening);
    }
}

} // namespace

void ItemWatch::ItemSeen(TextView text, const ItemSighting& sighting) {
    ItemReport report{};
    report.number = ++items_;
    report.line = LineOf(text, sighting.itemAt);
    report.fate = FateOf(sighting);
    report.missing = sighting.missing;
    if (report.fate == ItemFate::Kept) {
        report.record = ++records_;
    }
    if (sighting.complete && sighting.nextItemAt != kNotFound) {
        const TextView fields[4] = {sighting.content->title, sighting.content->description,
                                    sighting.content->link, sighting.content->date};
        for (int i = 0; i < 4; ++i) {
            // Where the element starts: its content less its opening tag.
            const std::ptrdiff_t elementAt = (fields[i].text - text.text) -
                                             static_cast<std::ptrdiff_t>(kFieldOpenings[i].length);
            report.borrowed[i] = elementAt > sighting.nextItemAt;
            report.borrowedLine[i] =
                report.borrowed[i]
                    ? report.line + CountLineBreaks(text.text, sighting.itemAt,
                                                    static_cast<std::size_t>(elementAt))
                    : 0;
        }
        if (report.borrowed[3]) {
            NoteSkippedItems(text, sighting, static_cast<std::size_t>(fields[3].text - text.text),
                             report.line, report);
        }
    }
    // The loop searches on past the date's content start; after an
    // incomplete item it stops, and every later "<item>" is passed over.
    resumeAt_ = sighting.complete
                    ? static_cast<std::size_t>(sighting.content->date.text - text.text) + 1
                    : sighting.itemAt + 1;
    observer_.ItemReached(report);
}

} // namespace quendix
