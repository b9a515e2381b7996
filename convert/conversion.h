// The conversion as the command drives it: with a chosen encoding, and with
// an observer that is told what became of every item. ConvertFile is the
// same conversion without either; its loop is built without the observer's
// calls, so watching costs the library nothing.
#ifndef QUENDIX_CONVERT_CONVERSION_H
#define QUENDIX_CONVERT_CONVERSION_H

#include "encoding/detection.h"

#include <cstddef>

namespace quendix {

// The most characters a window of the feed text holds: FeedText less its
// terminator.
constexpr std::size_t kWindowLimit = 127999;

struct ConversionOptions {
    // Decode with encoding whatever the file declares; a byte-order mark
    // still wins.
    bool encodingChosen = false;
    Encoding encoding = Encoding::Utf8;
    // The most characters a window holds: kWindowLimit; tests and fuzzing
    // set a smaller one (at least 16) to see many windows in a small feed.
    std::size_t windowLimit = kWindowLimit;
};

// The elements an item is made of, in the order they are searched for.
enum class ItemElement {
    Title,
    TitleEnd,
    Description,
    DescriptionEnd,
    Link,
    LinkEnd,
    Date,
    DateEnd
};
constexpr int kItemElementCount = 8;

enum class ItemFate {
    Kept,
    TitleHoldsCdata,          // the fitted title holds "CDATA"
    DescriptionStartsEscaped, // the summary is empty: the description starts with "&lt"
    PictureTextEmpty,         // the summary is empty: the picture's text is empty
    SummaryEmpty,             // the summary is empty otherwise
    SummaryStartsWithSpace,   // the summary starts with a space
    WriteRefused,             // the file refused the record; the conversion ends
    Incomplete,               // an element was not found; the item loop ends here
};

// One "<item>" the loop reached.
struct ItemReport {
    long long number; // 1, 2, ... over the whole feed
    long long line;   // line of the feed text the "<item>" starts on, from 1
    ItemFate fate;
    long long record;    // the record's number, from 1, when kept
    ItemElement missing; // the element not found, when Incomplete
    // Per field (title, description, link, date): its element starts after
    // the next "<item>", so the field comes from a later item.
    bool borrowed[4];
};

class ConversionObserver {
  public:
    virtual ~ConversionObserver() = default;
    virtual void EncodingChosen(Encoding encoding, EncodingSource source) = 0;
    virtual void ItemReached(const ItemReport& item) = 0;
    // The feed text ended, or was converted window by window (windows > 1).
    virtual void Finished(long long windows) = 0;
    // The file refused a write; it was cut back to its whole records.
    virtual void OutputFailed() {}
};

// ConvertFile with options; observer may be null. Returns the number of
// records written, as ConvertFile does.
int ConvertFileWith(const wchar_t* inputPath, const wchar_t* outputPath,
                    const ConversionOptions& options, ConversionObserver* observer);

} // namespace quendix

#endif
