// The conversion: load the feed text, walk it item by item with literal
// searches, and write one record per kept item. The order of the searches is
// the whole grammar: there is no XML parser.
#include "convert/convert_file.h"

#include "convert/conversion.h"

#include "convert/feed_storage.h"
#include "convert/literal.h"
#include "convert/record.h"
#include "convert/summary.h"
#include "convert/tag_index.h"
#include "quendix.h"

#include <cstdint>
#include <mutex>

namespace quendix {

namespace {

constexpr std::size_t kFeedTextLimit = kFeedTextCapacity - 1;

constexpr Literal kItemTags[] = {
    MakeLiteral(u"<item>"),        MakeLiteral(u"<title>"),        MakeLiteral(u"</title>"),
    MakeLiteral(u"<description>"), MakeLiteral(u"</description>"), MakeLiteral(u"<link>"),
    MakeLiteral(u"</link>"),       MakeLiteral(u"<pubDate>"),      MakeLiteral(u"</pubDate>")};

constexpr std::size_t kItemTagCount = sizeof kItemTags / sizeof kItemTags[0];

// The item's tags, in the order of kItemTags.
enum ItemTag : std::size_t {
    kItem,
    kTitle,
    kTitleEnd,
    kDescription,
    kDescriptionEnd,
    kLink,
    kLinkEnd,
    kDate,
    kDateEnd
};

// Every tag search is answered from one list of where the tags stand, made
// in a single pass over this call's text.
struct ItemSearches {
    TagIndex tags{FeedText, FeedLength, kItemTags, kItemTagCount, TagPlaces, kTagPlaceCapacity};
};

// The title search starts inside the "<item>" literal just found.
constexpr std::size_t kTitleSearchOffset = 2;

std::ptrdiff_t Find(ItemSearches& searches, ItemTag tag, std::size_t from) {
    return searches.tags.Find(tag, from);
}

// Finds an opening literal from from; returns where its content starts,
// just past the literal, or kNotFound.
std::ptrdiff_t FindContentStart(ItemSearches& searches, ItemTag open, std::size_t from) {
    const std::ptrdiff_t tag = Find(searches, open, from);
    return tag == kNotFound ? kNotFound : tag + static_cast<std::ptrdiff_t>(kItemTags[open].length);
}

// Finds the closing literal from the content start itself, so an empty
// element gives an empty field, and points field at the content. False when
// the closing literal is missing.
bool TakeContent(ItemSearches& searches, ItemTag close, std::ptrdiff_t contentStart,
                 TextView& field) {
    const std::ptrdiff_t closing = Find(searches, close, static_cast<std::size_t>(contentStart));
    if (closing == kNotFound) {
        return false;
    }
    field = TextView{FeedText + contentStart, static_cast<std::size_t>(closing - contentStart)};
    return true;
}

// An item's fields where they stand in FeedText: nothing is copied until
// the record is written.
struct ItemContent {
    TextView title;
    TextView description;
    TextView link;
    TextView date;
};

// Takes the title, description, link and date of the item whose "<item>"
// starts at itemAt, each searched from just past the previous one's content
// start. Sets ScanPosition to the date's content start as soon as
// "<pubDate>" is found. False when an element is missing, which ends the
// item loop.
bool ExtractItemFields(ItemSearches& searches, std::size_t itemAt, std::int32_t& ScanPosition,
                       ItemContent& item) {
    const std::ptrdiff_t title = FindContentStart(searches, kTitle, itemAt + kTitleSearchOffset);
    if (title == kNotFound || !TakeContent(searches, kTitleEnd, title, item.title)) {
        return false;
    }
    const std::ptrdiff_t description =
        FindContentStart(searches, kDescription, static_cast<std::size_t>(title) + 1);
    if (description == kNotFound ||
        !TakeContent(searches, kDescriptionEnd, description, item.description)) {
        return false;
    }
    const std::ptrdiff_t link =
        FindContentStart(searches, kLink, static_cast<std::size_t>(description) + 1);
    if (link == kNotFound || !TakeContent(searches, kLinkEnd, link, item.link)) {
        return false;
    }
    const std::ptrdiff_t date =
        FindContentStart(searches, kDate, static_cast<std::size_t>(link) + 1);
    if (date == kNotFound) {
        return false;
    }
    ScanPosition = static_cast<std::int32_t>(date);
    return TakeContent(searches, kDateEnd, date, item.date);
}

// The summary of the description's first 31999 characters, the most the
// description keeps. The summary rules look only for literals without
// surrogates or spaces, and the record mends the edges of every piece it
// takes, so the piece is the same whether or not the description's own
// edges were mended.
TextView SummaryOf(TextView description) {
    constexpr std::size_t kDescriptionLimit = kRawDescriptionCapacity - 1;
    if (description.length > kDescriptionLimit) {
        description.length = kDescriptionLimit;
    }
    return SummariseDescription(description);
}

int ConvertFileAlone(const wchar_t* inputPath, const wchar_t* outputPath,
                     const ConversionOptions& options, ConversionObserver* observer) {
    WideInputStream input;
    if (inputPath == nullptr || outputPath == nullptr || !OpenInput(input, inputPath, InputBytes)) {
        return 0;
    }
    WideOutputStream output;
    if (!OpenOutput(output, outputPath, OutputUnits)) {
        CloseInput(input);
        return 0;
    }
    const bool loaded = LoadFeedText(input, options.encodingChosen ? &options.encoding : nullptr);
    if (observer != nullptr) {
        observer->EncodingChosen(input.encoding, input.encodingSource);
    }
    CloseInput(input);
    const int RecordCount = loaded ? ConvertFeedText(output) : 0;
    const bool closed = CloseOutput(output);
    if (observer != nullptr) {
        observer->Finished(1);
    }
    if (!loaded || !closed) {
        return 0; // a failed read or close leaves nothing we can vouch for
    }
    if (output.failed) {
        // Only the records that reached the file whole count.
        return static_cast<int>(output.bytesWritten / (kRecordWidth * sizeof(char16_t)));
    }
    return RecordCount;
}

} // namespace

bool LoadFeedText(WideInputStream& input, const Encoding* chosen) {
    ChooseEncoding(input, chosen);
    // Reading line by line and appending each line to the feed text gives
    // exactly the text read at once, so it is read straight into FeedText:
    // no copy, and no call per line.
    FeedLength = ReadText(input, FeedText, kFeedTextLimit);
    if (FeedLength < kFeedTextLimit && !AtEndOfInput(input) && !input.readFailed) {
        // A character above U+FFFF stands across the limit: only its first
        // half would fit, and a first half cut off becomes a space.
        FeedText[FeedLength++] = u' ';
    }
    FeedText[FeedLength] = 0;
    return !input.readFailed;
}

int ConvertFeedText(WideOutputStream& output) {
    ItemSearches searches;
    std::int32_t ScanPosition = 0;
    std::int32_t RecordCount = 0;
    bool firstPass = true;
    for (;;) {
        // The first search starts at the very first character, so that an
        // item opening the text is not missed; later ones start just past
        // the previous item's date.
        const std::size_t from = firstPass ? 0 : static_cast<std::size_t>(ScanPosition) + 1;
        firstPass = false;
        const std::ptrdiff_t itemAt = Find(searches, kItem, from);
        if (itemAt == kNotFound) {
            break;
        }
        ItemContent item{};
        if (!ExtractItemFields(searches, static_cast<std::size_t>(itemAt), ScanPosition, item)) {
            break;
        }
        const RecordFate fate = WriteRecord(
            output, ItemFields{item.title, item.date, SummaryOf(item.description), item.link});
        if (fate == RecordFate::Refused) {
            break; // the file refused the record: nothing after it can land
        }
        if (fate == RecordFate::Dropped) {
            continue;
        }
        ++RecordCount;
    }
    return RecordCount;
}

} // namespace quendix

namespace {
// The storage is shared by every call, so overlapping calls take turns.
std::mutex ConversionLock;
} // namespace

extern "C" int ConvertFile(const wchar_t* inputPath, const wchar_t* outputPath) {
    std::lock_guard<std::mutex> turn(ConversionLock);
    return quendix::ConvertFileAlone(inputPath, outputPath, quendix::ConversionOptions{}, nullptr);
}

namespace quendix {

int ConvertFileWith(const wchar_t* inputPath, const wchar_t* outputPath,
                    const ConversionOptions& options, ConversionObserver* observer) {
    std::lock_guard<std::mutex> turn(ConversionLock);
    return ConvertFileAlone(inputPath, outputPath, options, observer);
}

} // namespace quendix
