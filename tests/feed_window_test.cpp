// The feed text a window at a time: what a window holds of endless,
// enormous and encoded input, where each window ends, what a window's end
// does to an item, and what the watcher is told.
#include "convert/conversion.h"
#include "convert/feed_window.h"
#include "fuzz/check_support.h"
#include "quendix.h"
#include "tests/reference_converter.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace quendix_test;

namespace {

constexpr std::size_t kWindow = quendix::kWindowLimit;

// Loads a file's first window as a conversion does; returns its text.
std::u16string LoadedText(const std::string& path) {
    static char16_t window[kWindow];
    quendix::DecodingInput input;
    EXPECT_TRUE(quendix::OpenInput(input, Wide(path).c_str(), quendix::InputBytes));
    quendix::ChooseEncoding(input);
    const std::size_t held = quendix::LoadFeedText(input, window, 0, kWindow);
    EXPECT_FALSE(input.readFailed);
    quendix::CloseInput(input);
    return std::u16string(window, held);
}

// text padded with spaces so that what follows starts at character at.
std::string PaddedTo(std::string text, std::size_t at) {
    text.resize(at, ' ');
    return text;
}

struct WindowCase {
    const char* what;
    std::string feed;
    int records;                // what the window rule gives
    const char* lastTitle = ""; // the last record's title, when it tells the rule apart
};

std::vector<WindowCase> WindowCases() {
    const std::string first = NumberedItem(1);
    std::vector<WindowCase> cases;
    // The second item's "<item>" ends before, at and after the window's end.
    for (std::size_t before : {7, 6, 5, 1, 0}) {
        cases.push_back({"an <item> across the window's end",
                         PaddedTo(first, kWindow - before) + NumberedItem(2) + NumberedItem(3), 3});
    }
    cases.push_back({"a pair across the window's end, an <item> after it",
                     PaddedTo(first, kWindow - 1) + kEmoji + NumberedItem(2), 2});
    cases.push_back({"a pair ending the window, an <item> after it",
                     PaddedTo(first, kWindow - 2) + kEmoji + NumberedItem(2), 2});
    cases.push_back(
        {"an item longer than two windows",
         first + Item("Long", std::string(3 * kWindow, 'd'), "L", "D") + NumberedItem(3), 2});
    cases.push_back({"an item longer than a window, the next <item> across its end",
                     Item("Long", std::string(kWindow, 'd'), "L", "D") + NumberedItem(2), 1});
    const std::string two = first + NumberedItem(2);
    cases.push_back({"a text of exactly one window",
                     PaddedTo(first, kWindow - NumberedItem(2).size()) + NumberedItem(2), 2});
    cases.push_back({"a text one character longer than a window",
                     PaddedTo(first, kWindow - NumberedItem(2).size()) + NumberedItem(2) + " ", 2});
    // An item without a description borrows one within its window only:
    // the last item of the window opens the next one, and converts alone.
    const std::string noDescription = "<item><title>Z</title><link>LZ</link><pubDate>DZ</pubDate>";
    cases.push_back(
        {"an item that would borrow across the window's end",
         PaddedTo(first + noDescription, kWindow - 200) + NumberedItem(2) + std::string(1000, ' '),
         2, "Title 2"});
    cases.push_back({"the same item within one window",
                     PaddedTo(first + noDescription, kWindow - 400) + NumberedItem(2), 2, "Z"});
    cases.push_back({"nothing but <item>",
                     std::string(0, ' ') +
                         [] {
                             std::string text;
                             while (text.size() < 3 * kWindow) {
                                 text += "<item>";
                             }
                             return text;
                         }(),
                     0});
    return cases;
}

} // namespace

TEST(FeedWindows, EveryWindowEndConvertsAsTheRuleSays) {
    for (const WindowCase& c : WindowCases()) {
        const Conversion got = Convert(c.feed);
        const quendix_reference::Result expected = quendix_reference::ConvertBytes(c.feed);
        EXPECT_EQ(got.result, c.records) << c.what;
        EXPECT_EQ(expected.count, c.records) << c.what << " (reference)";
        EXPECT_TRUE(got.records == expected.records) << c.what;
        if (*c.lastTitle != 0) {
            EXPECT_EQ(SplitRecords(got.records).back().title, c.lastTitle) << c.what;
        }
        // The same text in UTF-16 counts the same 16-bit characters.
        const Conversion wide = Convert("\xFF\xFE" + Utf16Bytes(U16(c.feed), false));
        EXPECT_TRUE(wide.records == got.records) << c.what << " (UTF-16)";
    }
}

namespace {

// Records what the watcher reports, as the command's report would read it.
class RecordingObserver : public quendix::ConversionObserver {
  public:
    void EncodingChosen(quendix::Encoding, quendix::EncodingSource source) override {
        sources.push_back(source);
    }
    void ItemReached(const quendix::ItemReport& item) override { items.push_back(item); }
    void Finished(long long count) override { windows = count; }

    std::vector<quendix::EncodingSource> sources;
    std::vector<quendix::ItemReport> items;
    long long windows = 0;
};

struct Watched {
    int result;
    RecordingObserver observer;
};

Watched ConvertWatched(const std::string& feed, std::size_t windowLimit = kWindow) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), feed);
    Watched watched{};
    quendix::ConversionOptions options;
    options.windowLimit = windowLimit;
    watched.result =
        quendix::ConvertFileWith(Wide(scratch.Path("in.xml")).c_str(),
                                 Wide(scratch.Path("out")).c_str(), options, &watched.observer);
    return watched;
}

} // namespace

TEST(ItemReports, EveryItemReachedIsAccountedFor) {
    using quendix::ItemFate;
    struct Expected {
        ItemFate fate;
        bool linkAndDateBorrowed;
    };
    const std::vector<std::string> pieces = {
        NumberedItem(1),
        Item("<![CDATA[T]]>", "S", "L", "D"),
        Item("T", "&lt;p&gt;", "L", "D"),
        Item("T", "<img alt=\"\" style=\"x\">", "L", "D"),
        Item("T", "", "L", "D"),
        Item("T", " S", "L", "D"),
        "<item><title>T</title><link>L</link><description>S</description><pubDate>D</pubDate>\n",
        NumberedItem(8), // its link and date go to the item before; it is passed over
        NumberedItem(9),
        "<item><title>T</title>\n"};
    const std::vector<Expected> expected = {
        {ItemFate::Kept, false},
        {ItemFate::TitleHoldsCdata, false},
        {ItemFate::DescriptionStartsEscaped, false},
        {ItemFate::PictureTextEmpty, false},
        {ItemFate::SummaryEmpty, false},
        {ItemFate::SummaryStartsWithSpace, false},
        {ItemFate::Kept, true},
        {ItemFate::Kept, false},
        {ItemFate::Incomplete, false},
    };
    std::string feed = "<rss>\n";
    std::vector<long long> lines; // the line each reached item starts on
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i != 7) {
            lines.push_back(1 + static_cast<long long>(std::count(feed.begin(), feed.end(), '\n')));
        }
        feed += pieces[i];
    }
    for (std::size_t window : {kWindow, std::size_t{120}}) {
        const Watched w = ConvertWatched(feed, window);
        if (window == kWindow) {
            ASSERT_EQ(w.observer.items.size(), expected.size());
        }
        int kept = 0;
        // Small windows change what the loop reaches; only the counts are
        // compared for them, below.
        for (std::size_t i = 0; window == kWindow && i < expected.size(); ++i) {
            const quendix::ItemReport& item = w.observer.items[i];
            EXPECT_EQ(item.number, static_cast<long long>(i + 1));
            EXPECT_EQ(item.fate, expected[i].fate) << "item " << i + 1;
            EXPECT_EQ(item.line, lines[i]) << "item " << i + 1;
            EXPECT_EQ(item.borrowed[2] && item.borrowed[3], expected[i].linkAndDateBorrowed)
                << "item " << i + 1;
            EXPECT_FALSE(item.borrowed[0] || item.borrowed[1]) << "item " << i + 1;
            if (item.fate == ItemFate::Kept) {
                EXPECT_EQ(item.record, ++kept);
            }
        }
        if (window == kWindow) {
            EXPECT_EQ(w.observer.items.back().missing, quendix::ItemElement::Description);
            EXPECT_EQ(w.result, 3);
            EXPECT_EQ(w.observer.windows, 1);
        } else {
            EXPECT_GT(w.observer.windows, 1);
        }
        int keptReports = 0;
        for (const quendix::ItemReport& item : w.observer.items) {
            keptReports += item.fate == ItemFate::Kept;
        }
        EXPECT_EQ(keptReports, w.result) << window;
    }
}

// A conversion reads its input to the end, so an endless one is only ever
// loaded a window at a time here.
TEST(FeedText, DevZeroAndDevUrandomFillAWindowWithWholeCharacters) {
    EXPECT_EQ(LoadedText("/dev/zero"), std::u16string(kWindow, u'\0'));
    const std::u16string text = LoadedText("/dev/urandom");
    EXPECT_GE(text.size(), kWindow - 1);
    EXPECT_EQ(quendix_fuzz::FirstBrokenCharacter(text), std::u16string::npos);
}

TEST(FeedText, OnlyAByteOrderMarkGivesNoText) {
    for (const std::string mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        const Conversion c = Convert(mark);
        EXPECT_EQ(c.result, 0);
        EXPECT_TRUE(c.records.empty());
        ScratchDirectory scratch;
        WriteFile(scratch.Path("in"), mark);
        EXPECT_EQ(LoadedText(scratch.Path("in")), u"");
    }
}

TEST(FeedWindows, FiftyMegabyteFeedIsReadToItsLastItem) {
    ScratchDirectory scratch;
    const std::string before = Feed(NumberedItem(1));
    const std::string pad(kWindow - before.size() - 3, ' ');
    std::string feed = before + pad;
    feed += NumberedItem(2); // starts in the first window, ends outside it
    feed.resize(50u << 20, 'x');
    feed += NumberedItem(3);
    WriteFile(scratch.Path("big.xml"), feed);
    const int result =
        ConvertFile(Wide(scratch.Path("big.xml")).c_str(), Wide(scratch.Path("out")).c_str());
    EXPECT_EQ(result, 3);
    EXPECT_EQ(FromLittleEndian(ReadFile(scratch.Path("out"))),
              Record("Title 1", "Date 1", "Summary 1", "http://x/1") +
                  Record("Title 2", "Date 2", "Summary 2", "http://x/2") +
                  Record("Title 3", "Date 3", "Summary 3", "http://x/3"));
}

TEST(FeedText, CountsSixteenBitCharactersInEveryEncoding) {
    // The second item's "</pubDate>" ends at character 127999, or one past
    // it, after padding of characters that take 1 to 4 bytes each.
    const std::string first = NumberedItem(1);
    const std::string second = NumberedItem(2);
    for (std::size_t overshoot : {0u, 1u}) {
        const std::size_t room = kWindow + overshoot - first.size() - second.size() + 9;
        const std::string pad = std::string(room % 2, ' ');
        const std::string emojiPad = [&] {
            std::string out = pad;
            for (std::size_t i = 0; i < room / 2; ++i) {
                out += kEmoji;
            }
            return out;
        }();
        const std::string feed = first + emojiPad + second; // "\n</item>\n" lies past the end
        // Past the window the second item opens the next one.
        const int expected = 2;
        EXPECT_EQ(Convert(feed).result, expected);
        EXPECT_EQ(Convert("\xFE\xFF" + Utf16Bytes(U16(feed), true)).result, expected);
        const std::string latin = "<?xml version='1.0' encoding='latin1'?>";
        const std::string latinPad(room - latin.size(), '\xE9');
        EXPECT_EQ(Convert(latin + first + latinPad + second).result, expected);
    }
}
