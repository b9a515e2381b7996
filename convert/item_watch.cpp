#include "convert/item_watch.h"

#include "convert/markup.h"

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
ItemFate WhyDropped(const ItemContent& item) {
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
    linesBeforeWindow_ += CountLineBreaks(passed.text, 0, passed.length);
    countedUpTo_ = 0;
    linesInWindow_ = 0;
}

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
        }
    }
    observer_.ItemReached(report);
}

} // namespace quendix
