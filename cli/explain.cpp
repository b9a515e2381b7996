#include "cli/explain.h"

#include "cli/arguments.h"
#include "encoding/labels.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace quendix_cli {

namespace {

using quendix::ItemElement;
using quendix::ItemFate;

std::string& ExplainPrefix() {
    static std::string prefix;
    return prefix;
}

// One line of --explain, after the prefix that names the feed when one
// call converts many.
void PrintExplainLine(const std::string& line) {
    std::fprintf(stderr, "%s%s\n", ExplainPrefix().c_str(), line.c_str());
}

// Why an item left no record, in the words of the filter rules.
const char* DropReason(ItemFate fate) {
    switch (fate) {
    case ItemFate::TitleHoldsCdata:
        return "title holds \"CDATA\"";
    case ItemFate::DescriptionStartsEscaped:
        return "summary empty: description starts with \"&lt\"";
    case ItemFate::PictureTextEmpty:
        return "summary empty: picture text empty";
    case ItemFate::SummaryEmpty:
        return "summary empty";
    case ItemFate::SummaryStartsWithSpace:
        return "summary starts with a space";
    default:
        return nullptr;
    }
}

// Each tag as --explain names it, in the order of ItemElement.
constexpr const char* kElementTags[] = {"<item>",        "<title>",        "</title>",
                                        "<description>", "</description>", "<link>",
                                        "</link>",       "<pubDate>",      "</pubDate>"};
static_assert(sizeof kElementTags / sizeof kElementTags[0] ==
                  static_cast<std::size_t>(ItemElement::DateEnd) + 1,
              "a tag for every element");

const char* ElementTag(ItemElement element) {
    return kElementTags[static_cast<std::size_t>(element)];
}

const char* SourceWords(quendix::EncodingSource source) {
    switch (source) {
    case quendix::EncodingSource::ByteOrderMark:
        return "byte-order mark";
    case quendix::EncodingSource::Declaration:
        return "declared by the feed";
    case quendix::EncodingSource::Default:
        return "default";
    case quendix::EncodingSource::Chosen:
        return "chosen with --encoding";
    }
    return "?";
}

// "link and date", "title, link and date": the fields an item borrowed.
std::string BorrowedFields(const quendix::ItemReport& item) {
    static const char* const kFieldNames[] = {"title", "description", "link", "date"};
    std::string names;
    int listed = 0;
    int total = 0;
    for (const bool borrowed : item.borrowed) {
        total += borrowed ? 1 : 0;
    }
    for (int field = 0; field < 4; ++field) {
        if (!item.borrowed[field]) {
            continue;
        }
        ++listed;
        names += listed == 1 ? "" : (listed == total ? " and " : ", ");
        names += std::string(kFieldNames[field]) + " (line " +
                 std::to_string(item.borrowedLine[field]) + ")";
    }
    return names;
}

bool Borrows(const quendix::ItemReport& item) {
    return item.borrowed[0] || item.borrowed[1] || item.borrowed[2] || item.borrowed[3];
}

} // namespace

void SetExplainPrefix(const std::string& prefix) {
    ExplainPrefix() = prefix;
}

std::string DescribeItem(const quendix::ItemReport& item) {
    std::string line =
        "item " + std::to_string(item.number) + " (line " + std::to_string(item.line) + "): ";
    if (item.fate == ItemFate::Kept) {
        line += "kept as record " + std::to_string(item.record);
    } else if (item.fate == ItemFate::Incomplete) {
        line += std::string("incomplete: no ") + ElementTag(item.missing) +
                " found; the item loop ends here";
    } else if (item.fate == ItemFate::WriteRefused) {
        line += "not written: the output refused its record; the conversion ends here";
    } else {
        line += std::string("dropped: ") + DropReason(item.fate);
    }
    if (Borrows(item)) {
        line += "; " + BorrowedFields(item) + " from a later item";
    }
    if (item.skipped > 0) {
        line += "; " + std::to_string(item.skipped) + " later item" +
                (item.skipped > 1 ? "s" : "") + " from line " +
                std::to_string(item.firstSkippedLine) + " passed over, giving no record";
    }
    return line;
}

void ConversionWatch::FeedBegins(const unsigned char* bytes, std::size_t size) {
    const char* label = nullptr;
    std::size_t length = 0;
    quendix::Encoding named = quendix::Encoding::Utf8;
    if (quendix::FindDeclaredEncodingLabel(bytes, size, &label, &length) &&
        !quendix::FindEncodingByLabel(label, length, &named)) {
        unknownLabel_ = EscapeName(std::string(label, length));
    }
    // Text in UTF-16 has a NUL beside every ASCII character; no byte
    // encoding has many NULs.
    const std::size_t sample = size < 512 ? size : 512;
    std::size_t nuls = 0;
    for (std::size_t i = 0; i < sample; ++i) {
        nuls += bytes[i] == 0 ? 1 : 0;
    }
    looksUtf16_ = sample >= 8 && nuls * 4 >= sample;
    // Searched where the bytes lie: a copy of the feed's first read would
    // add its size to the command's peak memory.
    static const unsigned char kItemWithAttributes[] = {'<', 'i', 't', 'e', 'm', ' '};
    const unsigned char* const end = bytes + size;
    itemWithAttributes_ = std::search(bytes, end, std::begin(kItemWithAttributes),
                                      std::end(kItemWithAttributes)) != end;
}

void ConversionWatch::EncodingChosen(quendix::Encoding encoding, quendix::EncodingSource source) {
    encodingKnown_ = true;
    encoding_ = encoding;
    source_ = source;
    if (!unknownLabel_.empty() && source == quendix::EncodingSource::Default) {
        std::fprintf(stderr,
                     "quendix: warning: the feed declares encoding '%s', which is not a label of "
                     "the Encoding Standard; read as UTF-8 (choose one with --encoding)\n",
                     unknownLabel_.c_str());
    }
}

std::string ConversionWatch::EmptyResultCause() const {
    if (itemsReached_ > 0) {
        std::string reasons = DropCounts();
        const long long incomplete = fates_[Index(ItemFate::Incomplete)];
        if (incomplete > 0) {
            reasons += (reasons.empty() ? "" : ", ") + std::to_string(incomplete) + " incomplete";
        }
        return "none of " + std::to_string(itemsReached_) + " items kept (" + reasons +
               "); --explain tells what became of each";
    }
    std::string cause = "no <item> found";
    if (itemWithAttributes_) {
        cause += "; an item written <item ...> with attributes is not one: only the literal "
                 "<item> opens an item";
    }
    if (looksUtf16_ && source_ != quendix::EncodingSource::ByteOrderMark) {
        cause += "; the feed looks like UTF-16 without a byte-order mark: try --encoding "
                 "utf-16le or utf-16be";
    }
    return cause;
}

void ConversionWatch::ItemReached(const quendix::ItemReport& item) {
    ++itemsReached_;
    itemsBorrowing_ += Borrows(item) ? 1 : 0;
    const int fate = Index(item.fate);
    if (fate >= 0 && fate < kFateCount) {
        ++fates_[fate];
    }
    if (explain_) {
        PrintPending();
        pending_ = item.fate == ItemFate::Incomplete;
        pendingItem_ = item;
        if (!pending_) {
            PrintExplainLine(DescribeItem(item));
        }
    }
}

void ConversionWatch::PrintPending() {
    if (pending_) {
        PrintExplainLine(DescribeItem(pendingItem_));
    }
    pending_ = false;
}

void ConversionWatch::ItemsPassedOver(long long count, long long firstLine) {
    if (explain_) {
        PrintPending();
        PrintExplainLine(std::to_string(count) + " more item" + (count > 1 ? "s" : "") +
                         " from line " + std::to_string(firstLine) +
                         " passed over: the item loop ended before them in this window");
    }
}

void ConversionWatch::ItemCut(std::size_t window, unsigned long long length, bool atEnd) {
    if (!pending_) {
        return;
    }
    pending_ = false;
    const std::string reach = atEnd ? "runs on to the feed's end"
                                    : "runs on to the next <item>, " + std::to_string(length) +
                                          " characters from the window's start";
    PrintExplainLine("item " + std::to_string(pendingItem_.number) + " (line " +
                     std::to_string(pendingItem_.line) +
                     "): cut by the window's end: a window holds " + std::to_string(window) +
                     " characters and the item " + reach +
                     "; its elements past the window were not seen (no " +
                     ElementTag(pendingItem_.missing) + " there)");
}

void ConversionWatch::Finished(long long windows) {
    PrintPending();
    windows_ = windows;
}

std::string ConversionWatch::DropCounts() const {
    std::string reasons;
    for (int fate = 0; fate < kFateCount; ++fate) {
        const char* reason = DropReason(static_cast<ItemFate>(fate));
        if (reason != nullptr && fates_[fate] > 0) {
            reasons += (reasons.empty() ? "" : ", ") + std::to_string(fates_[fate]) + " " + reason;
        }
    }
    return reasons;
}

std::string ConversionWatch::Total(int recordsWritten) const {
    long long dropped = 0;
    for (int fate = 0; fate < kFateCount; ++fate) {
        dropped += DropReason(static_cast<ItemFate>(fate)) != nullptr ? fates_[fate] : 0;
    }
    const std::string reasons = DropCounts();
    std::string total = ExplainPrefix() + "total: " + std::to_string(itemsReached_) +
                        " items reached, " + std::to_string(recordsWritten) + " records written, " +
                        std::to_string(dropped) + " dropped";
    if (!reasons.empty()) {
        total += " (" + reasons + ")";
    }
    const long long incomplete = fates_[Index(ItemFate::Incomplete)];
    const long long refused = fates_[Index(ItemFate::WriteRefused)];
    if (incomplete > 0) {
        total += ", " + std::to_string(incomplete) + " incomplete";
    }
    if (refused > 0) {
        total += ", " + std::to_string(refused) + " refused by the output";
    }
    total += ", " + std::to_string(itemsBorrowing_) + " took fields from a later item";
    if (encodingKnown_) {
        total += std::string(", encoding ") + quendix::EncodingName(encoding_) + " (" +
                 SourceWords(source_) +
                 (unknownLabel_.empty() || source_ != quendix::EncodingSource::Default
                      ? ""
                      : "; the declared '" + unknownLabel_ + "' is not a label") +
                 ")";
    }
    if (windows_ > 1) {
        total += ", " + std::to_string(windows_) + " windows";
    }
    return total;
}

void NoteEmptyResult(const std::string& feedName, int records, const ConversionWatch& watch,
                     bool explained) {
    if (records == 0 && !(explained && watch.ItemsReached() > 0)) {
        std::fprintf(stderr, "quendix: %s: no records written: %s\n", EscapeName(feedName).c_str(),
                     watch.EmptyResultCause().c_str());
    }
}

} // namespace quendix_cli
