// Inputs meant to break the conversion: bad paths, endless and enormous
// files, ill-formed bytes, content at every storage limit, concurrent and
// repeated calls. Nothing may crash, hang, spill or claim a record it did
// not write. (The plainer cases live in sound_behaviour_test.cpp.)
#include "convert/conversion.h"
#include "convert/feed_storage.h"
#include "convert/feed_window.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "quendix.h"
#include "tests/reference_converter.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <thread>

using namespace quendix_test;

namespace {

const std::string kEmoji = "\xF0\x9F\x9A\xA4"; // two 16-bit characters
constexpr std::size_t kFeedLimit = 127999;

int ConvertPaths(const std::wstring& input, const std::wstring& output) {
    return ConvertFile(input.c_str(), output.c_str());
}

std::string NumberedItem(int i) {
    const std::string n = std::to_string(i);
    return Item("Title " + n, "Summary " + n, "http://x/" + n, "Date " + n);
}

// Loads a file's first window as a conversion does; returns its text.
std::u16string LoadedText(const std::string& path) {
    static char16_t window[kFeedLimit];
    quendix::WideInputStream input;
    EXPECT_TRUE(quendix::OpenInput(input, Wide(path).c_str(), quendix::InputBytes));
    quendix::ChooseEncoding(input);
    const std::size_t held = quendix::LoadFeedText(input, window, 0, kFeedLimit);
    EXPECT_FALSE(input.readFailed);
    quendix::CloseInput(input);
    return std::u16string(window, held);
}

// What a field holds after fitting: its first width characters, with a
// pair cut in half at the end replaced by a space, or filled with spaces.
std::u16string Fitted(std::u16string text, std::size_t width) {
    if (text.size() < width) {
        return text + std::u16string(width - text.size(), u' ');
    }
    text.resize(width);
    if (text.back() >= 0xD800 && text.back() <= 0xDBFF) {
        text.back() = u' ';
    }
    return text;
}

constexpr std::size_t kNoPair = std::size_t(-1);

// length letters, with a character above U+FFFF at pairAt unless kNoPair.
std::u16string Letters(std::size_t length, std::size_t pairAt) {
    std::u16string text(length, u'w');
    if (pairAt != kNoPair) {
        text.replace(pairAt, 2, U16(kEmoji));
    }
    return text;
}

} // namespace

// ----- Paths -----

TEST(HostilePaths, EmptyPathsCannotBeOpened) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    WriteFile(scratch.Path("out"), "precious");
    EXPECT_EQ(ConvertPaths(L"", Wide(scratch.Path("out"))), 0);
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), L""), 0);
}

TEST(HostilePaths, PathsThatAreNotUnicodeCannotBeOpened) {
    // Each value sits next to a real feed named by the bytes a lax encoder
    // would make of it, which must not be opened in its place.
    const struct {
        wchar_t value;
        const char* laxBytes;
    } bad[] = {{wchar_t(0xD800), "\xED\xA0\x80"},
               {wchar_t(0xDFFF), "\xED\xBF\xBF"},
               {wchar_t(0x110000), "\xF4\x90\x80\x80"}};
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    WriteFile(scratch.Path("out"), "precious");
    for (const auto& b : bad) {
        WriteFile(scratch.Path("x") + b.laxBytes, Feed(NumberedItem(2)));
        const std::wstring badName = Wide(scratch.Path("x")) + b.value;
        EXPECT_EQ(ConvertPaths(badName, Wide(scratch.Path("out"))), 0) << int(b.value);
        EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
        EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), badName), 0) << int(b.value);
    }
    // Nothing was created under a mangled name either.
    const std::filesystem::directory_iterator entries(scratch.Path(""));
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2 + std::size(bad));
}

TEST(HostilePaths, OutputThatIsADirectoryGivesZero) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    const std::string directory = scratch.Path("dir");
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), Wide(directory)), 0);
    EXPECT_TRUE(std::filesystem::is_directory(directory));
}

TEST(HostilePaths, FullDeviceMidConversionClaimsNothing) {
    // Enough records that the output buffer is handed to the device while
    // items are still being converted, not only at the close.
    ScratchDirectory scratch;
    std::string items;
    for (int i = 0; i < 300; ++i) {
        items += NumberedItem(i);
    }
    WriteFile(scratch.Path("in.xml"), Feed(items));
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), L"/dev/full"), 0);
}

// ----- Endless input -----

// A conversion reads its input to the end, so an endless one is only ever
// loaded a window at a time here.
TEST(EndlessInput, DevZeroAndDevUrandomFillAWindowWithWholeCharacters) {
    EXPECT_EQ(LoadedText("/dev/zero"), std::u16string(kFeedLimit, u'\0'));
    const std::u16string text = LoadedText("/dev/urandom");
    EXPECT_GE(text.size(), kFeedLimit - 1);
    EXPECT_EQ(quendix_fuzz::FirstBrokenCharacter(text), std::u16string::npos);
}

// ----- Content -----

TEST(HostileContent, OnlyAByteOrderMark) {
    for (const std::string mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        const Conversion c = Convert(mark);
        EXPECT_EQ(c.result, 0);
        EXPECT_TRUE(c.records.empty());
        ScratchDirectory scratch;
        WriteFile(scratch.Path("in"), mark);
        EXPECT_EQ(LoadedText(scratch.Path("in")), u"");
    }
}

TEST(HostileContent, RandomBytesHoldEveryInvariant) {
    // Noise, and noise with tag literals spliced in so that the item loop
    // gets past its first search.
    std::mt19937 noise(4);
    const std::string tags[] = {"<item>", "<title>", "</title>",  "<description>", "</description>",
                                "<link>", "</link>", "<pubDate>", "</pubDate>",    "\xFF\xFE"};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int length = std::uniform_int_distribution<int>(0, 600)(noise);
        for (int i = 0; i < length; ++i) {
            bytes += round % 2 == 1 && noise() % 8 == 0
                         ? tags[noise() % 10]
                         : std::string(1, static_cast<char>(noise()));
        }
        ASSERT_EQ(quendix_fuzz::CheckConversion(bytes), "") << "round " << round;
    }
}

TEST(HostileContent, IllFormedUtf8OfEveryKind) {
    // Every lead byte followed by each edge of every continuation range, at
    // every length a sequence can have, cut short or not.
    const unsigned char edges[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    std::string all;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned char second : edges) {
            for (unsigned char third : {0x80, 0xBF, 0x41}) {
                all += {static_cast<char>(lead), static_cast<char>(second),
                        static_cast<char>(third), static_cast<char>(0xBF), '|'};
                all += {static_cast<char>(lead), static_cast<char>(second), '|'};
            }
        }
    }
    ASSERT_EQ(quendix_fuzz::CheckDecoder(quendix::Encoding::Utf8, all), "");
    // The same bytes as the titles of a feed, through ConvertFile.
    std::string items;
    for (std::size_t at = 0; at < all.size(); at += 90) {
        items += Item(all.substr(at, 90), "S", "L", "D");
    }
    EXPECT_EQ(quendix_fuzz::CheckConversion(Feed(items)), "");
    EXPECT_GT(Convert(Feed(items)).result, 100);
}

TEST(HostileContent, Utf16OddLengthsAndUnpairedSurrogates) {
    const char16_t high = 0xD83D, low = 0xDE80;
    const std::u16string nasty[] = {{high},       {low},        {low, high}, {high, high, low},
                                    {high, u'x'}, {high, u'<'}, {u'a', low}, {high, 0xFFFE}};
    for (bool bigEndian : {false, true}) {
        std::u16string items;
        for (const std::u16string& title : nasty) {
            items += U16("<item><title>") + title +
                     U16("</title><description>S</description>"
                         "<link>L</link><pubDate>D</pubDate>");
        }
        const std::string bom = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const std::string bytes = bom + Utf16Bytes(items, bigEndian);
        // Cut anywhere, so that the file ends inside a character or a pair.
        for (std::size_t cut : {bytes.size(), bytes.size() - 1, bytes.size() - 3}) {
            EXPECT_EQ(quendix_fuzz::CheckConversion(bytes.substr(0, cut)), "") << cut;
        }
        // Every unpaired half and a high half ending the file became U+FFFD.
        const Conversion c = Convert(bytes + Utf16Bytes({high}, bigEndian) + "x");
        EXPECT_EQ(c.result, 8);
        EXPECT_EQ(SplitRecords(c.records)[2].title, "\xEF\xBF\xBD\xEF\xBF\xBD");
    }
}

TEST(HostileContent, NulCharactersEverywhere) {
    const std::string nul(1, '\0');
    // NUL before the declaration, inside tags (no longer tags then), and
    // between and inside items; in UTF-8 and UTF-16.
    const std::string feed = nul + "<?xml version=\"1.0\" encoding=\"latin1\"?>" + nul +
                             NumberedItem(1) + nul + "<ti" + nul + "tle>" +
                             Item(nul + "A" + nul, nul, "L" + nul, nul) + nul + NumberedItem(3);
    EXPECT_EQ(quendix_fuzz::CheckConversion(feed), "");
    EXPECT_EQ(quendix_fuzz::CheckConversion("\xFF\xFE" + Utf16Bytes(U16(feed), false)), "");
    const Conversion c = Convert(feed);
    ASSERT_EQ(c.result, 3);
    EXPECT_EQ(c.records.substr(QUENDIX_RECORD_CHARS, 3), std::u16string(u"\0A\0", 3));
    EXPECT_EQ(c.records.substr(QUENDIX_RECORD_CHARS + QUENDIX_SUMMARY_OFFSET, 1),
              std::u16string(1, u'\0'));
}

TEST(HostileContent, FiftyMegabyteFeedIsReadToItsLastItem) {
    ScratchDirectory scratch;
    const std::string before = Feed(NumberedItem(1));
    const std::string pad(kFeedLimit - before.size() - 3, ' ');
    std::string feed = before + pad;
    feed += NumberedItem(2); // starts in the first window, ends outside it
    feed.resize(50u << 20, 'x');
    feed += NumberedItem(3);
    WriteFile(scratch.Path("big.xml"), feed);
    const int result = ConvertPaths(Wide(scratch.Path("big.xml")), Wide(scratch.Path("out")));
    EXPECT_EQ(result, 3);
    EXPECT_EQ(FromLittleEndian(ReadFile(scratch.Path("out"))),
              Record("Title 1", "Date 1", "Summary 1", "http://x/1") +
                  Record("Title 2", "Date 2", "Summary 2", "http://x/2") +
                  Record("Title 3", "Date 3", "Summary 3", "http://x/3"));
}

// ----- Sizes at their limits -----

// Each field at, just under and just over its width and its storage, with
// a character above U+FFFF ending just before, across and just after each
// cut. Only the fitted field reaches the file, and never half a pair.
TEST(SizeLimits, TitleDateAndLinkAtWidthAndStorage) {
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
                              Fitted(content, limit.width))
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

TEST(SizeLimits, DescriptionAtSummaryWidthAndStorage) {
    for (std::size_t length : {399u, 400u, 401u, 402u, 31998u, 31999u, 32000u, 32001u}) {
        for (std::size_t pairAt : {kNoPair, std::size_t{398}, std::size_t{399}, std::size_t{400}}) {
            if (pairAt != kNoPair && pairAt + 2 > length) {
                continue;
            }
            const std::u16string content = Letters(length, pairAt);
            const Conversion c = Convert(Feed(Item("T", Utf8(content), "L", "D")));
            ASSERT_EQ(c.result, 1);
            EXPECT_EQ(c.records.substr(QUENDIX_SUMMARY_OFFSET, QUENDIX_SUMMARY_CHARS),
                      Fitted(content, QUENDIX_SUMMARY_CHARS))
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

TEST(SizeLimits, FeedTextCountsSixteenBitCharactersInEveryEncoding) {
    // The second item's "</pubDate>" ends at character 127999, or one past
    // it, after padding of characters that take 1 to 4 bytes each.
    const std::string first = NumberedItem(1);
    const std::string second = NumberedItem(2);
    for (std::size_t overshoot : {0u, 1u}) {
        const std::size_t room = kFeedLimit + overshoot - first.size() - second.size() + 9;
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

// ----- Threads and repeated calls -----

TEST(HostileThreads, EightDifferentHostileFeedsAtOnce) {
    // Each thread's feed stresses a different part of the shared storage:
    // encodings, ill-formed bytes, capacity, the output buffer.
    std::vector<std::string> feeds = {
        Feed(NumberedItem(1)),
        "\xFE\xFF" + Utf16Bytes(U16(Feed(NumberedItem(2) + NumberedItem(3))), true),
        "\xFF\xFE" + Utf16Bytes(U16(Feed(NumberedItem(4))), false) + "x",
        "<?xml version='1.0' encoding='cp1252'?>" + Feed(Item("\x80\x93", "\x94", "L", "D")),
        Feed(Item("a\xED\xA0\x80z", "s\xC0\xAF", "L", "D")),
        Feed(NumberedItem(5)) + std::string(200000, '<'),
        "",
    };
    std::string many;
    for (int i = 0; i < 400; ++i) {
        many += NumberedItem(i);
    }
    feeds.push_back(Feed(many));
    std::vector<std::u16string> expected;
    for (const std::string& feed : feeds) {
        expected.push_back(Convert(feed).records);
    }
    std::vector<std::vector<std::u16string>> got(feeds.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < feeds.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                got[t].push_back(Convert(feeds[t]).records);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t t = 0; t < feeds.size(); ++t) {
        for (const std::u16string& records : got[t]) {
            EXPECT_EQ(records, expected[t]) << "thread " << t;
        }
    }
}

TEST(RepeatCalls, AfterEachHostileCallTheSameOutputAsAFirstCall) {
    const std::string feed = Feed(NumberedItem(1) + Item(std::string(150, 't'), "S", "L", "D"));
    const Conversion first = Convert(feed);
    ASSERT_EQ(first.result, 2);
    ScratchDirectory scratch;
    WriteFile(scratch.Path("big"), Feed(Item(std::string(300, 'x'), std::string(40000, 'y'),
                                             std::string(300, 'z'), std::string(300, 'w'))) +
                                       std::string(200000, '<'));
    WriteFile(scratch.Path("feed"), feed);
    // More than two windows of NULs, and of random bytes.
    WriteFile(scratch.Path("zeros"), std::string(300000, '\0'));
    std::mt19937 random(11);
    std::string noise(300000, ' ');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    WriteFile(scratch.Path("noise"), noise);
    const std::wstring out = Wide(scratch.Path("out"));
    const std::function<void()> hostile[] = {
        [&] { ConvertPaths(Wide(scratch.Path("zeros")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("noise")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("feed")), L"/dev/full"); },
        [&] { ConvertPaths(Wide(scratch.Path("missing")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("big")), out); },
        [&] { Convert(std::string("\xFF\xFE\x00\xD8<\x00", 6)); },
    };
    for (std::size_t i = 0; i < std::size(hostile); ++i) {
        hostile[i]();
        const Conversion again = Convert(feed);
        EXPECT_EQ(again.result, first.result) << "after hostile call " << i;
        EXPECT_EQ(again.records, first.records) << "after hostile call " << i;
    }
}
