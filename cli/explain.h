// What the conversion reports about a feed, gathered for the command: with
// --explain, one line per item on standard error and a closing total;
// without it, only the counts the command needs to warn of an empty result.
#ifndef QUENDIX_CLI_EXPLAIN_H
#define QUENDIX_CLI_EXPLAIN_H

#include "convert/conversion.h"

#include <string>

namespace quendix_cli {

// The line --explain prints for one item, without its newline, such as
// "item 3 (line 41): kept as record 2".
std::string DescribeItem(const quendix::ItemReport& item);

// Text put before every line --explain prints, such as "feeds/a.xml: "
// when one call converts many feeds; empty by default.
void SetExplainPrefix(const std::string& prefix);

class ConversionWatch final : public quendix::ConversionObserver {
  public:
    explicit ConversionWatch(bool explain) : explain_(explain) {}

    void FeedBegins(const unsigned char* bytes, std::size_t size) override;
    void EncodingChosen(quendix::Encoding encoding, quendix::EncodingSource source) override;
    void ItemReached(const quendix::ItemReport& item) override;
    void ItemCut(std::size_t window, unsigned long long length, bool atEnd) override;
    void ItemsPassedOver(long long count, long long firstLine) override;
    void Finished(long long windows) override;
    void OutputFailed() override { outputFailed_ = true; }
    void InputFailed(int error) override { readError_ = error; }

    long long ItemsReached() const { return itemsReached_; }
    // True once the conversion has begun (its encoding was chosen).
    bool Converted() const { return encodingKnown_; }
    // The system's error number when reading the feed failed, else 0.
    int ReadError() const { return readError_; }
    // True when the output refused a record: the file ends short.
    bool WriteRefused() const {
        return outputFailed_ || fates_[Index(quendix::ItemFate::WriteRefused)] > 0;
    }

    // Why an empty result is likely empty, for the line that says so.
    std::string EmptyResultCause() const;

    // The closing line of --explain, without its newline but with the
    // prefix: what the items came to, the encoding and how it was chosen.
    std::string Total(int recordsWritten) const;

  private:
    static constexpr int kFateCount = static_cast<int>(quendix::ItemFate::Incomplete) + 1;
    static int Index(quendix::ItemFate fate) { return static_cast<int>(fate); }
    // "3 summary empty, 1 title holds \"CDATA\"": the items dropped, by rule.
    std::string DropCounts() const;

    // With --explain, an incomplete item's line waits for the next event:
    // the window may turn out to have cut the item.
    void PrintPending();

    bool explain_;
    bool pending_ = false;
    quendix::ItemReport pendingItem_{};
    bool outputFailed_ = false;
    int readError_ = 0;
    bool encodingKnown_ = false;
    quendix::Encoding encoding_ = quendix::Encoding::Utf8;
    quendix::EncodingSource source_ = quendix::EncodingSource::Default;
    long long itemsReached_ = 0;
    long long itemsBorrowing_ = 0;
    long long fates_[kFateCount] = {};
    long long windows_ = 0;
    // What the feed's first bytes show: a declared label no encoding has,
    // text that looks like UTF-16 without a byte-order mark, an <item>
    // written with attributes.
    std::string unknownLabel_;
    bool looksUtf16_ = false;
    bool itemWithAttributes_ = false;
};

// When a conversion gave no record, says on standard error why it likely
// did, unless --explain has told already.
void NoteEmptyResult(const std::string& feedName, int records, const ConversionWatch& watch,
                     bool explained);

} // namespace quendix_cli

#endif
