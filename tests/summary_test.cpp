// The three description shapes and the summary each one gives.
#include "convert/feed_storage.h"
#include "convert/record.h"
#include "convert/summary.h"
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
