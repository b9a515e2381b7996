// Fitting fields to their widths and storage, the record filter, and the
// record layout.
#include "convert/record.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace quendix_test;

TEST(FieldFitting, EveryLengthUpToPastEachWidthIsCopiedAndPaddedExactly) {
    // Distinct letters, so a piece copied or padded a few characters off
    // shows; lengths cover each width, the steps of eight and the short
    // pieces copied one character at a time.
    const auto letters = [](std::size_t length, char first) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += static_cast<char>(first + i % 26);
        }
        return text;
    };
    std::string items;
    std::u16string expected;
    for (std::size_t length = 0; length <= 120; ++length) {
        const std::string title = letters(length, 'A');
        const std::string date = letters(length / 2, 'a');
        const std::string summary = "s" + letters(length * 4 % 410, 'a');
        const std::string link = letters(120 - length, 'A');
        items += Item(title, summary, link, date);
        expected += Record(title.substr(0, 100), date.substr(0, 50), summary.substr(0, 400),
                           link.substr(0, 100));
    }
    EXPECT_EQ(Convert(Feed(items)).records, expected);
}

TEST(RecordFilter, TitleHoldingCdataDropsTheItem) {
    const Conversion c = Convert(Feed(Item("<![CDATA[News]]>", "S", "L", "D") +
                                      Item("cdata is fine", "S2", "L2", "D2") +
                                      Item(std::string(100, 'x') + "CDATA", "S3", "L3", "D3") +
                                      Item(std::string(95, 'x') + "CDATA", "S4", "L4", "D4")));
    EXPECT_EQ(c.result, 2);
    const std::vector<Fields> f = SplitRecords(c.records);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].title, "cdata is fine");
    EXPECT_EQ(f[1].title, std::string(100, 'x'));
}

TEST(RecordFilter, CdataIsFoundAtEveryPlaceOfTitlesOfEveryLength) {
    const std::u16string keptSummary = u"S";
    for (std::size_t kept = 0; kept <= 100; ++kept) {
        for (std::size_t at = 0; at + 5 <= kept; ++at) {
            std::u16string title(100, u'x');
            title.replace(at, 5, u"CDATA");
            EXPECT_FALSE(quendix::KeepRecord(title.data(), kept, keptSummary.data()))
                << "kept " << kept << " at " << at;
        }
        // Near-misses: the pair alone, and the literal cut by the end of
        // the title's own characters.
        std::u16string nearMisses(100, u'x');
        for (std::size_t at = 0; at + 2 <= kept; at += 7) {
            nearMisses.replace(at, 2, u"CD");
        }
        if (kept >= 4) {
            nearMisses.replace(kept - 4, 5, u"CDATA");
        }
        EXPECT_TRUE(quendix::KeepRecord(nearMisses.data(), kept, keptSummary.data()))
            << "kept " << kept;
    }
}

TEST(RecordFilter, SummaryStartingWithASpaceDropsTheItem) {
    const Conversion c =
        Convert(Feed(Item("Empty", "", "L", "D") + Item("Space", " x", "L", "D") +
                     Item("Tab", "\tx", "L", "D") + Item("Newline", "\nx", "L", "D") +
                     Item("Entity", "&lt;p&gt;", "L", "D") + Item("Kept", "x", "L", "D")));
    EXPECT_EQ(c.result, 3);
    const std::vector<Fields> f = SplitRecords(c.records);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0].title, "Tab");
    EXPECT_EQ(f[1].title, "Newline");
    EXPECT_EQ(f[2].title, "Kept");
}

TEST(RecordLayout, RecordsLieBackToBackAtFixedOffsets) {
    const Conversion c = Convert(Feed(Item("T1", "S1", "L1", "D1") + Item("T2", "S2", "L2", "D2")));
    EXPECT_EQ(c.result, 2);
    ASSERT_EQ(c.records.size(), 2u * QUENDIX_RECORD_CHARS);
    const std::size_t second = QUENDIX_RECORD_CHARS;
    EXPECT_EQ(c.records.substr(second + QUENDIX_TITLE_OFFSET, 2), u"T2");
    EXPECT_EQ(c.records.substr(second + QUENDIX_DATE_OFFSET, 2), u"D2");
    EXPECT_EQ(c.records.substr(second + QUENDIX_SUMMARY_OFFSET, 2), u"S2");
    EXPECT_EQ(c.records.substr(second + QUENDIX_LINK_OFFSET, 2), u"L2");
}

TEST(RecordLayout, SampleFeedMatchesItsGoldenRecords) {
    const std::string source = QUENDIX_SOURCE_DIR;
    const Conversion c = Convert(ReadFile(source + "/examples/sample.xml"));
    const std::string golden = ReadFile(source + "/tests/golden/sample.rec");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(c.result * QUENDIX_RECORD_BYTES, static_cast<int>(golden.size()));
    EXPECT_EQ(c.records, FromLittleEndian(golden));
}

TEST(FieldFitting, LongFieldsNeverSpillIntoOthers) {
    const Conversion c = Convert(Feed(Item(std::string(5000, 't'), std::string(40000, 's'),
                                           std::string(5000, 'l'), std::string(5000, 'd'))));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.records, Record(std::string(100, 't'), std::string(50, 'd'), std::string(400, 's'),
                                std::string(100, 'l')));
}

// Each field at, just under and just over its width and its storage, with
// a character above U+FFFF ending just before, across and just after each
// cut. Only the fitted field reaches the file, and never half a pair.
TEST(FieldFitting, TitleDateAndLinkAtWidthAndStorage) {
    struct Limit {
        const char* field;
        std::size_t offset, width, storage;
    };
    for (const Limit limit : {Limit{"title", QUENDIX_TITLE_OFFSET, QUENDIX_TITLE_CHARS, 200},
                              {"date", QUENDIX_DATE_OFFSET, QUENDIX_DATE_CHARS, 150},
                              {"link", QUENDIX_LINK_OFFSET, QUENDIX_LINK_CHARS, 199}}) {
        for (std::size_t cut : {limit.width, limit.storage}) {
            for (std::size_t length : {cut - 1, cut, cut + 1, cut + 2}) {
                for (std::size_t pairAt : {kNoPair, cut - 2, cut - 1, cut}) {
                    if (pairAt != kNoPair && pairAt + 2 > length) {
                        continue;
                    }
                    const std::u16string content = Letters(length, pairAt);
                    const std::string text = Utf8(content);
                    const std::string field = limit.field;
                    const Conversion c = Convert(
                        Feed(Item(field == "title" ? text : "T", "S", field == "link" ? text : "L",
                                  field == "date" ? text : "D")));
                    ASSERT_EQ(c.result, 1);
                    const std::string where =
                        field + " " + std::to_string(length) + " pair at " + std::to_string(pairAt);
                    EXPECT_EQ(c.records.substr(limit.offset, limit.width),
                              FittedText(content, limit.width))
                        << where;
                    EXPECT_EQ(quendix_fuzz::FirstBrokenCharacter(c.records), std::u16string::npos)
                        << where;
                    EXPECT_EQ(quendix_fuzz::CheckConversion(Feed(Item(text, text, text, text))), "")
                        << where;
                }
            }
        }
    }
}
