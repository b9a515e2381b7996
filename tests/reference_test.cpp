// The library against the plain reference converter: many generated feeds,
// and the feeds built to make every search run to the end of the text.
#include "convert/feed_storage.h"
#include "fuzz/checks.h"
#include "tests/reference_converter.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <random>

using namespace quendix_test;

namespace {

constexpr std::size_t kFeedLimit = 127999;

// Builds feeds out of tag literals, summary markers, awkward characters and
// runs of text long enough to cross the field widths, mostly shaped like
// items but with elements dropped, swapped, emptied or left open.
class FeedGenerator {
  public:
    explicit FeedGenerator(unsigned seed) : random_(seed) {}

    std::u16string Text() {
        std::u16string text = Chance(4) ? u"<?xml version=\"1.0\"?><rss><channel>" : u"";
        const int items = Below(6);
        for (int i = 0; i < items; ++i) {
            text += Chance(8) ? Content() : Item();
        }
        return text;
    }

    // The text as file bytes, in one of the encodings a feed may come in.
    std::string Encoded(const std::u16string& text) {
        switch (Below(6)) {
        case 0:
            return "\xFF\xFE" + Utf16Bytes(text, false);
        case 1:
            return "\xFE\xFF" + Utf16Bytes(text, true);
        case 2:
            return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + Latin1Bytes(text);
        case 3:
            return "\xEF\xBB\xBF" + Utf8Bytes(text);
        default:
            return Utf8Bytes(text);
        }
    }

  private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool Chance(int oneIn) { return Below(oneIn) == 0; }

    std::u16string Piece() {
        static const std::u16string kPieces[] = {u"x",
                                                 u"News ",
                                                 u" ",
                                                 u"\n",
                                                 u"\r\n",
                                                 u"\r",
                                                 u"\t",
                                                 u"&lt",
                                                 u"&lt;p&gt;",
                                                 u"&l",
                                                 u"alt=",
                                                 u"alt=\"",
                                                 u"alt=\"\"",
                                                 u"\" style=",
                                                 u"style=",
                                                 u"styl",
                                                 u"</a>",
                                                 u"</p>",
                                                 u"CDATA",
                                                 u"<![CDATA[",
                                                 u"]]>",
                                                 u"\U0001F6A4",
                                                 u"\u00E9",
                                                 u"\u20AC",
                                                 std::u16string(1, u'\0'),
                                                 std::u16string(1, char16_t(0xD800)),
                                                 std::u16string(1, char16_t(0xDC00)),
                                                 u"<",
                                                 u">",
                                                 u"<item>",
                                                 u"<title>",
                                                 u"</title>",
                                                 u"<description>",
                                                 u"</description>",
                                                 u"<link>",
                                                 u"</link>",
                                                 u"<pubDate>",
                                                 u"</pubDate>",
                                                 u"</item>"};
        if (Chance(6)) {
            return std::u16string(static_cast<std::size_t>(Below(130)), u'a' + Below(3));
        }
        return kPieces[Below(sizeof kPieces / sizeof kPieces[0])];
    }

    // Now and then a whole item inside an element, so that an element left
    // open, or a search that runs on, meets a second item's tags close by.
    std::u16string Content() {
        std::u16string content;
        for (int n = Below(7); n > 0; --n) {
            content += depth_ == 0 && Chance(25) ? NestedItem() : Piece();
        }
        return content;
    }

    std::u16string NestedItem() {
        ++depth_;
        const std::u16string item = Item();
        --depth_;
        return item;
    }

    std::u16string Element(const std::u16string& name) {
        std::u16string element = u"<" + name + u">" + Content();
        return Chance(12) ? element : element + u"</" + name + u">";
    }

    std::u16string Item() {
        std::u16string elements[] = {Element(u"title"), Element(u"description"), Element(u"link"),
                                     Element(u"pubDate")};
        if (Chance(10)) {
            std::swap(elements[Below(4)], elements[Below(4)]);
        }
        if (Chance(10)) {
            elements[Below(4)].clear();
        }
        std::u16string item = u"<item>";
        for (const std::u16string& element : elements) {
            item += element + (Chance(3) ? u"\n" : u"");
        }
        return item + u"</item>\n";
    }

    // A lone surrogate becomes its three-byte form, which UTF-8 forbids.
    static std::string Utf8Bytes(const std::u16string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                out += Utf8(text.substr(i++, 2));
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                out += {static_cast<char>(0xED), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                        static_cast<char>(0x80 | (c & 0x3F))};
            } else {
                out += Utf8(std::u16string(1, text[i]));
            }
        }
        return out;
    }

    static std::string Latin1Bytes(const std::u16string& text) {
        std::string out;
        for (char16_t unit : text) {
            out += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
        return out;
    }

    std::mt19937 random_;
    int depth_ = 0;
};

// Items whose dates are all closed by one "</pubDate>" at the very end:
// every date search runs to the end of the text.
std::u16string DatesClosedAtTheEnd(std::size_t length, std::vector<std::size_t>* dateStarts) {
    std::u16string text;
    for (int i = 0;; ++i) {
        const std::u16string n = U16(std::to_string(i));
        const std::u16string item = u"<item><title>T" + n + u"</title><description>S" + n +
                                    u"</description><link>L" + n + u"</link><pubDate>D" + n + u" ";
        if (text.size() + item.size() + 10 > length) {
            break;
        }
        text += item;
        dateStarts->push_back(text.size() - n.size() - 2);
    }
    return text + std::u16string(length - 10 - text.size(), u'.') + u"</pubDate>";
}

// Descriptions full of things that nearly match the summary markers.
std::u16string NearMisses(std::size_t length) {
    const std::u16string misses = u"&l &LT & lt alt alt = ALT= style styl= style = stylealt";
    std::u16string text;
    for (int i = 0; text.size() < length - 400; ++i) {
        std::u16string description;
        for (int k = 0; k < 40; ++k) {
            description += misses;
        }
        if (i % 3 == 1) {
            description += u"alt=\"found " + U16(std::to_string(i)) + u"\" style=";
        }
        text += u"<item><title>T</title><description>" + description +
                u"</description><link>L</link><pubDate>D</pubDate></item>";
    }
    return text.substr(0, length);
}

std::string Utf8File(const std::u16string& text) {
    return Utf8(text);
}

// Occurrences of the item loop's nine tag literals in text.
std::size_t TagsIn(const std::u16string& text) {
    std::size_t count = 0;
    for (const std::u16string tag :
         {u"<item>", u"<title>", u"</title>", u"<description>", u"</description>", u"<link>",
          u"</link>", u"<pubDate>", u"</pubDate>"}) {
        for (std::size_t at = text.find(tag); at != std::u16string::npos;
             at = text.find(tag, at + 1)) {
            ++count;
        }
    }
    return count;
}

} // namespace

TEST(Reference, GeneratedFeedsConvertAsTheReferenceDoes) {
    FeedGenerator generator(20261208);
    int withRecords = 0;
    constexpr int kFeeds = 1500;
    for (int i = 0; i < kFeeds; ++i) {
        const std::string bytes = generator.Encoded(generator.Text());
        ASSERT_EQ(quendix_fuzz::CheckConversion(bytes), "") << "feed " << i;
        withRecords += quendix_reference::ConvertBytes(bytes).count > 0 ? 1 : 0;
    }
    // The generator must produce usable items often, or the comparison
    // says little.
    EXPECT_GT(withRecords, kFeeds / 4);
}

TEST(Reference, FullFeedsOfGeneratedItemsConvertAsTheReferenceDoes) {
    // Feeds past the feed text's end, with far more tags than the index of
    // tag places holds, so that searches go on beyond what it lists.
    FeedGenerator generator(7);
    for (int i = 0; i < 4; ++i) {
        std::u16string text;
        for (int k = 0; text.size() < kFeedLimit + 1000; ++k) {
            text += generator.Text();
            // Runs of short, whole items: nine tags in every 90 characters.
            for (int n = 20 + k % 20; n > 0; --n) {
                const std::u16string number = U16(std::to_string(k * 100 + n));
                text += u"<item><title>T" + number +
                        u"</title><description>S</description><link>L" + number +
                        u"</link><pubDate>D</pubDate></item>";
            }
        }
        ASSERT_GT(TagsIn(text.substr(0, kFeedLimit)), quendix::kTagPlaceCapacity);
        const std::string bytes = generator.Encoded(text);
        ASSERT_EQ(quendix_fuzz::CheckConversion(bytes), "") << "feed " << i;
        EXPECT_GT(quendix_reference::ConvertBytes(bytes).count, 0) << "feed " << i;
    }
}

TEST(WorstCase, DatesClosedOnlyAtTheEnd) {
    std::vector<std::size_t> starts;
    const std::u16string small = DatesClosedAtTheEnd(20000, &starts);
    EXPECT_EQ(quendix_fuzz::CheckConversion(Utf8File(small)), "");

    // At full capacity, checked against positions known from building it:
    // each date runs on from its own start.
    starts.clear();
    const std::u16string full = DatesClosedAtTheEnd(kFeedLimit, &starts);
    const Conversion c = Convert(Utf8File(full));
    ASSERT_EQ(c.result, static_cast<int>(starts.size()));
    const std::vector<Fields> fields = SplitRecords(c.records);
    for (std::size_t i = 0; i < starts.size(); i += 97) {
        EXPECT_EQ(fields[i].title, "T" + std::to_string(i));
        EXPECT_EQ(c.records.substr(i * 650 + 100, 50), full.substr(starts[i], 50)) << i;
    }
}

TEST(WorstCase, DescriptionsDenseWithNearMissesOfTheMarkers) {
    const std::u16string text = NearMisses(kFeedLimit);
    EXPECT_EQ(quendix_fuzz::CheckConversion(Utf8File(text)), "");
    const Conversion c = Convert(Utf8File(text));
    ASSERT_GT(c.result, 10);
    EXPECT_EQ(SplitRecords(c.records)[1].summary, "found 1");
}

TEST(WorstCase, TextOfNothingButLessThanSigns) {
    const Conversion none = Convert(std::string(kFeedLimit + 1000, '<'));
    EXPECT_EQ(none.result, 0);
    EXPECT_TRUE(none.records.empty());
    // The same, with one item squeezed in at the very end of the text.
    const std::string item = Item("T", "S", "L", "D");
    const std::string withItem = std::string(kFeedLimit - item.size(), '<') + item;
    EXPECT_EQ(quendix_fuzz::CheckConversion(withItem), "");
    EXPECT_EQ(Convert(withItem).result, 1);
}
