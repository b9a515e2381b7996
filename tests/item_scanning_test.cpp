// How the literal searches walk a feed: the order of the fields, what a
// missing or misplaced element borrows, and where the scan resumes.
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace quendix_test;

TEST(ItemScanning, FeedWithoutItemsGivesNothing) {
    const Conversion none = Convert(Feed(""));
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.records.empty());

    const Conversion empty = Convert("");
    EXPECT_EQ(empty.result, 0);
    EXPECT_TRUE(empty.records.empty());
}

TEST(ItemScanning, ChannelElementsAreNeverRead) {
    const Conversion c = Convert(Feed(NumberedItem(1)));
    ASSERT_EQ(c.result, 1);
    EXPECT_EQ(SplitRecords(c.records)[0].title, "Title 1");
}

TEST(ItemScanning, LinkBeforeDescriptionBorrowsFromTheNextItem) {
    auto swapped = [](int i) {
        return "<item><title>T" + std::to_string(i) + "</title><link>L" + std::to_string(i) +
               "</link><description>D" + std::to_string(i) + "</description><pubDate>P" +
               std::to_string(i) + "</pubDate></item>\n";
    };
    const Conversion two = Convert(Feed(swapped(1) + swapped(2)));
    EXPECT_EQ(two.result, 1);
    EXPECT_EQ(two.records, Record("T1", "P2", "D1", "L2"));

    const Conversion four = Convert(Feed(swapped(1) + swapped(2) + swapped(3) + swapped(4)));
    EXPECT_EQ(four.result, 2);
    EXPECT_EQ(four.records, Record("T1", "P2", "D1", "L2") + Record("T3", "P4", "D3", "L4"));

    const Conversion one = Convert(Feed(swapped(1)));
    EXPECT_EQ(one.result, 0);
    EXPECT_TRUE(one.records.empty());
}

TEST(ItemScanning, MissingDescriptionIsTakenFromTheNextItem) {
    const std::string first =
        "<item><title>First</title><link>L1</link><pubDate>P1</pubDate></item>\n";
    const Conversion c = Convert(Feed(first + NumberedItem(2) + NumberedItem(3)));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.records, Record("First", "Date 2", "Summary 2", "http://x/2") +
                             Record("Title 3", "Date 3", "Summary 3", "http://x/3"));
}

TEST(ItemScanning, EmptyLinkIsFilledWithSpacesAndKept) {
    const Conversion c = Convert(Feed(Item("T", "S", "", "D")));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.records, Record("T", "D", "S", ""));
}

TEST(ItemScanning, MissingElementEndsTheLoopKeepingEarlierRecords) {
    const std::string noDate = "<item><title>T</title><description>S</description>"
                               "<link>L</link></item>\n";
    const std::string noLinkEnd = "<item><title>T</title><description>S</description>"
                                  "<link>L<pubDate>P</pubDate></item>\n";
    const std::string noDescriptionEnd = "<item><title>T</title><description>S"
                                         "<link>L</link><pubDate>P</pubDate></item>\n";
    const std::string noTitle = "<item><description>S</description>"
                                "<link>L</link><pubDate>P</pubDate></item>\n";
    const std::string noTitleEnd = "<item><title>T<description>S</description>"
                                   "<link>L</link><pubDate>P</pubDate></item>\n";
    const std::string noDateEnd = "<item><title>T</title><description>S</description>"
                                  "<link>L</link><pubDate>P</item>\n";
    for (const std::string& broken :
         {noDate, noLinkEnd, noDescriptionEnd, noTitle, noTitleEnd, noDateEnd}) {
        const Conversion c = Convert(Feed(NumberedItem(1) + broken));
        EXPECT_EQ(c.result, 1) << broken;
        EXPECT_EQ(c.records, Record("Title 1", "Date 1", "Summary 1", "http://x/1")) << broken;
    }
}

TEST(ItemScanning, ElementsWithAttributesOrOtherCaseAreNotSeen) {
    const std::string item = "<item><title>T</title><description>S</description>"
                             "<link rel=\"x\">A</link><LINK>B</LINK><link>C</link>"
                             "<pubDate>P</pubDate></item>\n";
    const Conversion c = Convert(Feed(item));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(SplitRecords(c.records)[0].link, "C");
}

TEST(ItemScanning, ContentIsTakenUnchanged) {
    const Conversion c = Convert(Feed(Item("  A &amp; B\n\tline", "S &amp; T\n", " L ", "\nD")));
    ASSERT_EQ(c.result, 1);
    const Fields f = SplitRecords(c.records)[0];
    EXPECT_EQ(f.title, "  A &amp; B\n\tline");
    EXPECT_EQ(f.summary, "S &amp; T\n");
    EXPECT_EQ(f.link, " L");
    EXPECT_EQ(f.date, "\nD");
}

TEST(ItemScanning, ScanResumesOneCharacterPastTheDateContentStart) {
    // An unclosed date runs on into the next item. The scan resumes one
    // character past where the date's content starts, so an item one
    // character further on is found, and one right there is not.
    const std::string first = "<item><title>A</title><description>S</description><link>L</link>"
                              "<pubDate>";
    const std::string rest = "<item><title>B</title><description>S2</description><link>L2</link>"
                             "<pubDate>P2</pubDate></item>";
    const Conversion found = Convert(Feed(first + " " + rest));
    EXPECT_EQ(found.result, 2);
    const std::vector<Fields> f = SplitRecords(found.records);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].title, "A");
    EXPECT_EQ(f[0].date, Utf8(U16(" " + rest).substr(0, 50)));
    EXPECT_EQ(f[1].title, "B");

    const Conversion skipped = Convert(Feed(first + rest));
    EXPECT_EQ(skipped.result, 1);
    EXPECT_EQ(SplitRecords(skipped.records)[0].title, "A");
}

TEST(ItemScanning, MissingTitleEndsTheItemLoop) {
    const std::string noTitle = "<item><description>S</description><link>L</link>"
                                "<pubDate>P</pubDate></item>";
    const Conversion c = Convert(NumberedItem(1) + noTitle + NumberedItem(3));
    EXPECT_EQ(c.result, 2); // the third item's title lends itself to the second
    const Conversion end = Convert(NumberedItem(1) + "<item><title>unclosed");
    EXPECT_EQ(end.result, 1);
    EXPECT_EQ(end.records, Record("Title 1", "Date 1", "Summary 1", "http://x/1"));
}

TEST(ItemScanning, ItemAtTheVeryFirstCharacterIsConverted) {
    const Conversion c = Convert(NumberedItem(1) + NumberedItem(2));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.records, Record("Title 1", "Date 1", "Summary 1", "http://x/1") +
                             Record("Title 2", "Date 2", "Summary 2", "http://x/2"));
}

TEST(ItemScanning, EmptyTitleAndDateGiveEmptyFields) {
    const Conversion c = Convert(Feed(Item("", "S1", "L1", "") + NumberedItem(2)));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.records,
              Record("", "", "S1", "L1") + Record("Title 2", "Date 2", "Summary 2", "http://x/2"));
}

TEST(ItemScanning, LastItemWithAnEmptyDateIsWritten) {
    const Conversion c = Convert(Feed(NumberedItem(1) + Item("Last", "S", "L", "")));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(SplitRecords(c.records).back().title, "Last");
}
