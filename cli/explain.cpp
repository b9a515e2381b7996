#include "cli/explain.h"

#include "cli/arguments.h"

#include <cstdio>

namespace quendix_cli {

namespace {

using quendix::ItemElement;
using quendix::ItemFate;

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

const char* ElementTag(ItemElement element) {
    switch (element) {
    case ItemElement::Title:
        return "<title>";
    case ItemElement::TitleEnd:
        return "</title>";
    case ItemElement::Description:
        return "<description>";
    case ItemElement::DescriptionEnd:
        return "</description>";
    case ItemElement::Link:
        return "<link>";
    case ItemElement::LinkEnd:
        return "</link>";
    case ItemElement::Date:
        return "<pubDate>";
    case ItemElement::DateEnd:
        return "</pubDate>";
    }
    return "?";
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
        names += kFieldNames[field];
    }
    return names;
}

bool Borrows(const quendix::ItemReport& item) {
    return item.borrowed[0] || item.borrowed[1] || item.borrowed[2] || item.borrowed[3];
}

} // namespace

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
    return line;
}

void ConversionWatch::EncodingChosen(quendix::Encoding encoding, quendix::EncodingSource source) {
    encodingKnown_ = true;
    encoding_ = encoding;
    source_ = source;
}

void ConversionWatch::ItemReached(const quendix::ItemReport& item) {
    ++itemsReached_;
    itemsBorrowing_ += Borrows(item) ? 1 : 0;
    const int fate = Index(item.fate);
    if (fate >= 0 && fate < kFateCount) {
        ++fates_[fate];
    }
    if (explain_) {
        std::fprintf(stderr, "%s\n", DescribeItem(item).c_str());
    }
}

void ConversionWatch::Finished(long long windows) {
    windows_ = windows;
}

std::string ConversionWatch::Total(int recordsWritten) const {
    long long dropped = 0;
    std::string reasons;
    for (int fate = 0; fate < kFateCount; ++fate) {
        const char* reason = DropReason(static_cast<ItemFate>(fate));
        if (reason == nullptr || fates_[fate] == 0) {
            continue;
        }
        dropped += fates_[fate];
        reasons += (reasons.empty() ? "" : ", ") + std::to_string(fates_[fate]) + " " + reason;
    }
    std::string total = "total: " + std::to_string(itemsReached_) + " items reached, " +
                        std::to_string(recordsWritten) + " records written, " +
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
                 SourceWords(source_) + ")";
    }
    if (windows_ > 1) {
        total += ", " + std::to_string(windows_) + " windows";
    }
    return total;
}

void NoteEmptyResult(const std::string& feedName, int records, const ConversionWatch& watch,
                     bool explained) {
    if (records == 0 && watch.ItemsReached() > 0 && !explained) {
        std::fprintf(stderr,
                     "quendix: %s: no records written from %lld items; --explain tells what "
                     "became of each\n",
                     EscapeName(feedName).c_str(), watch.ItemsReached());
    }
}

} // namespace quendix_cli
