// The three description shapes and the summary each one gives, and the
// description's storage.
#include "convert/feed_storage.h"
#include "convert/record.h"
#include "convert/summary.h"
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace quendix_test;

namespace {

// The summary field's own characters, before its padding: the piece the
// rules take, fitted as the record fits it.
std::string Summarise(const std::string& description) {
    const std::u16string units = U16(description);
    const quendix::TextView piece =
        quendix::SummariseDescription(quendix::TextView{units.data(), units.size()});
    char16_t field[quendix::kSummaryWidth];
    const std::size_t kept = quendix::FitField(field, piece, quendix::kSummaryWidth);
    return Utf8(std::u16string(field, kept));
}

const std::string kPicture = "<p><a href=\"http://x/a\"><img src=\"http://x/i.jpg\" alt=";

} // namespace

TEST(EscapedMarkup, TextBeforeTheFirstEntityIsTheSummary) {
    EXPECT_EQ(Summarise("Short news &lt;p&gt;more&lt;/p&gt;"), "Short news ");
    EXPECT_EQ(Summarise("&lt;p&gt;starts with markup"), "");
    // The literal has no semicolon, and "&gt" alone is not a marker.
    EXPECT_EQ(Summarise("A &ltx and &lt;"), "A ");
    EXPECT_EQ(Summarise("A &gt; B"), "A &gt; B");
}

TEST(EscapedMarkup, WinsOverAlternativeTextWhicheverComesFirst) {
    EXPECT_EQ(Summarise(kPicture + "\"pic\" style=\"x\"> then &lt;b&gt;"),
              kPicture + "\"pic\" style=\"x\"> then ");
}

TEST(PictureSummary, AlternativeTextWithoutItsQuotes) {
    EXPECT_EQ(Summarise(kPicture + "\"Boats in the harbour\" style=\"float:left\" /></a>Text</p>"),
              "Boats in the harbour");
    // Any quote character, and no check that "alt=" belongs to a picture.
    EXPECT_EQ(Summarise("x alt='single' style=y"), "single");
    EXPECT_EQ(Summarise("alt=[ab]_style="), "ab");
}

TEST(PictureSummary, IsPurelyPositional) {
    // Two spaces before "style=": the text runs on to include the quote.
    EXPECT_EQ(Summarise("alt=\"a\"  style="), "a\"");
    // "style=" is searched from the text's start, so one inside the text
    // ends it early.
    EXPECT_EQ(Summarise("alt=\"one style=two\" style="), "on");
}

TEST(PictureSummary, EmptyAlternativeTextFallsBackToTheTextAfterTheLink) {
    EXPECT_EQ(Summarise(kPicture + "\"\" style=\"float:left\" /></a>After the link</p> tail"),
              "After the link");
    // "</a>" is searched from the very start, "</p>" only after it.
    EXPECT_EQ(Summarise("</p></a>first</p>" + std::string("alt=\"\" style=")), "first");
    EXPECT_EQ(Summarise(kPicture + "\"\" style=\"x\"></a>\n spaced \n</p>"), "\n spaced \n");
}

TEST(PictureSummary, FallbackWithoutItsMarkersIsEmpty) {
    EXPECT_EQ(Summarise(kPicture + "\"\" style=\"x\">no link end</p>"), "");
    EXPECT_EQ(Summarise(kPicture + "\"\" style=\"x\"></a>no paragraph end"), "");
    EXPECT_EQ(Summarise("</p></a>x" + std::string("alt=\"\" style=")), "");
}

TEST(PictureSummary, UnplaceableTextEndGivesAnEmptySummary) {
    EXPECT_EQ(Summarise("alt=\"no style attribute\""), "");
    EXPECT_EQ(Summarise("alt="), "");
    EXPECT_EQ(Summarise("alt=\"style=\"x\""), ""); // n would be -2
    EXPECT_EQ(Summarise("alt=\" style="), "");     // n would be -1
    EXPECT_EQ(Summarise("text alt"), "text alt");
}

TEST(PlainText, FirstFourHundredCharactersUntrimmed) {
    const std::string long450(450, 'p');
    EXPECT_EQ(Summarise(long450), std::string(400, 'p'));
    EXPECT_EQ(Summarise(std::string(30, 'q')), std::string(30, 'q'));
    EXPECT_EQ(Summarise(" leading space\nand newline "), " leading space\nand newline ");
    EXPECT_EQ(Summarise(""), "");
}

TEST(PlainText, CountsSixteenBitCharacters) {
    // 399 letters then a character above U+FFFF: it would be cut in half,
    // so a space takes its place.
    EXPECT_EQ(Summarise(std::string(399, 'a') + "\xF0\x9F\x9A\xA4 more"),
              std::string(399, 'a') + " ");
    EXPECT_EQ(Summarise(std::string(398, 'a') + "\xF0\x9F\x9A\xA4 more"),
              std::string(398, 'a') + "\xF0\x9F\x9A\xA4");
}

TEST(DescriptionStorage, KeepsItsFirst31999Characters) {
    auto picture = [](std::size_t textLength) {
        return "alt=\"" + std::string(textLength, 'y') + "\" style=\"x\"";
    };
    // "style=" ends at character 31999 of the description, or one past it.
    const Conversion inside = Convert(Feed(Item("T", picture(31986), "L", "D")));
    EXPECT_EQ(inside.result, 1);
    EXPECT_EQ(inside.records, Record("T", "D", std::string(400, 'y'), "L"));
    const Conversion outside = Convert(Feed(Item("T", picture(31987), "L", "D")));
    EXPECT_EQ(outside.result, 0);
}

TEST(PictureSummary, TextCutAcrossAPairGetsSpaces) {
    // The text starts one character after "alt=", on the pair's second half,
    // and ends two before "style=", after the first half of another.
    const Conversion c =
        Convert(Feed(Item("T", "alt=" + kEmoji + "mid" + kEmoji + " style=", "L", "D")));
    const Conversion kept = Convert(Feed(Item("T", "alt=\"mid" + kEmoji + "x style=", "L", "D")));
    EXPECT_EQ(c.result, 0); // the leading space drops it
    EXPECT_EQ(kept.result, 1);
    EXPECT_EQ(SplitRecords(kept.records)[0].summary, "mid" + kEmoji);
    const Conversion cut = Convert(Feed(Item("T", "alt=\"mid" + kEmoji + " style=", "L", "D")));
    EXPECT_EQ(SplitRecords(cut.records)[0].summary, "mid");
}

TEST(DescriptionStorage, AtSummaryWidthAndStorage) {
    for (std::size_t length : {399u, 400u, 401u, 402u, 31998u, 31999u, 32000u, 32001u}) {
        for (std::size_t pairAt : {kNoPair, std::size_t{398}, std::size_t{399}, std::size_t{400}}) {
            if (pairAt != kNoPair && pairAt + 2 > length) {
                continue;
            }
            const std::u16string content = Letters(length, pairAt);
            const Conversion c = Convert(Feed(Item("T", Utf8(content), "L", "D")));
            ASSERT_EQ(c.result, 1);
            EXPECT_EQ(c.records.substr(QUENDIX_SUMMARY_OFFSET, QUENDIX_SUMMARY_CHARS),
                      FittedText(content, QUENDIX_SUMMARY_CHARS))
                << length << " " << pairAt;
        }
    }
    // The escaped-markup marker counts only when it lies wholly within the
    // first 31999 characters (ending at 31999, not one past it); else the
    // picture rule takes over.
    const std::string picture = "alt=\"p\" style=";
    for (std::size_t end : {31999u, 32000u}) {
        const std::string description = picture + std::string(end - 17, 'e') + "&lt";
        const Conversion c = Convert(Feed(Item("T", description, "L", "D")));
        ASSERT_EQ(c.result, 1);
        EXPECT_EQ(SplitRecords(c.records)[0].summary,
                  end == 31999u ? (picture + std::string(400 - 14, 'e')) : "p");
    }
}
