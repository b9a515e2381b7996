// The conversion as the command drives it: with a chosen encoding, and with
// an observer that is told what became of every item. ConvertFile is the
// same conversion without either; its loop is built without the observer's
// calls, so watching costs the library nothing.
#ifndef QUENDIX_CONVERT_CONVERSION_H
#define QUENDIX_CONVERT_CONVERSION_H

#include "encoding/detection.h"

#include <cstddef>
#include <cstdio>

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

// An item's tags, in the order they are searched for: the "<item>" itself,
// then each field's opening and closing tag.
enum class ItemElement : std::size_t {
    Item,
    Title,
    TitleEnd,
    Description,
    DescriptionEnd,
    Link,
    LinkEnd,
    Date,
    DateEnd
};

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
    // the next "<item>", so the field comes from a later item, and the
    // line that element starts on.
    bool borrowed[4];
    long long borrowedLine[4];
    // The "<item>"s passed over by borrowing: how many, and the first's line.
    long long skipped;
    long long firstSkippedLine;
};

class ConversionObserver {
  public:
    virtual ~ConversionObserver() = default;
    virtual void EncodingChosen(Encoding encoding, EncodingSource source) = 0;
    // The feed's first bytes, as read to choose its encoding (up to 64 KiB;
    // valid during the call only).
    virtual void FeedBegins(const unsigned char* bytes, std::size_t size) {
        (void)bytes;
        (void)size;
    }
    virtual void ItemReached(const ItemReport& item) = 0;
    // The item loop ended early in a window (an element not found there):
    // count more "<item>"s lay after it in that window, the first on line
    // firstLine, and give no record.
    virtual void ItemsPassedOver(long long count, long long firstLine) {
        (void)count;
        (void)firstLine;
    }
    // The last item reached is longer than a window (window characters):
    // it runs on for length characters from its "<item>" (to the next
    // "<item>", or to the feed's end when atEnd), and what lies past the
    // window's end was not seen.
    virtual void ItemCut(std::size_t window, unsigned long long length, bool atEnd) {
        (void)window;
        (void)length;
        (void)atEnd;
    }
    // The feed text ended, or was converted window by window (windows > 1).
    virtual void Finished(long long windows) = 0;
    // The file refused a write; it was cut back to its whole records.
    virtual void OutputFailed() {}
    // Reading the input failed, with the system's error number; the file
    // was emptied.
    virtual void InputFailed(int error) { (void)error; }
};

// ConvertFile with options; observer may be null. Returns the number of
// records written, as ConvertFile does.
int ConvertFileWith(const wchar_t* inputPath, const wchar_t* outputPath,
                    const ConversionOptions& options, ConversionObserver* observer);

// The same on files the caller has opened: input for reading, output for
// writing (binary). Both are taken over and closed; output is emptied
// first unless it is the input. Lets a caller open each file once, by
// whatever name, and read a pipe or standard input as it stands.
int ConvertStreamsWith(std::FILE* input, std::FILE* output, const ConversionOptions& options,
                       ConversionObserver* observer);

} // namespace quendix

#endif
