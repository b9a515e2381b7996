// Bytes in, characters out: choosing the encoding, decoding ill-formed
// input, newlines, and the byte form of the record file.
#include "encoding/decode.h"
#include "fuzz/checks.h"
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <iterator>

using namespace quendix_test;

namespace {

// One step of a stateless decoder over bytes, as at the end of the input
// (atEnd) or not: the bytes used and the character.
std::size_t Step(quendix::Encoding encoding, const std::string& bytes, bool atEnd,
                 char32_t* character) {
    quendix::DecoderState state;
    quendix::DecodedStep step{};
    const std::size_t used =
        quendix::DecodeStep(encoding, state, reinterpret_cast<const unsigned char*>(bytes.data()),
                            bytes.size(), atEnd, &step);
    *character = step.count == 1 ? step.characters[0] : U'\0';
    return used;
}

// The title of a one-item feed written as the given bytes, to see what the
// decoder made of them.
std::u16string TitleFromBytes(const std::string& prefix, const std::string& titleBytes) {
    const Conversion c = Convert(prefix + Feed(Item(titleBytes, "S", "L", "D")));
    EXPECT_EQ(c.result, 1);
    std::u16string title = c.records.substr(0, 100);
    while (!title.empty() && title.back() == u' ') {
        title.pop_back();
    }
    return title;
}

std::string Declaration(const std::string& encoding) {
    return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n";
}

} // namespace

TEST(Decoding, Utf8WithAndWithoutByteOrderMark) {
    EXPECT_EQ(TitleFromBytes("", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x9A\xA4"),
              u"Caf\u00E9 \u20AC \U0001F6A4");
    EXPECT_EQ(TitleFromBytes("\xEF\xBB\xBF", "Caf\xC3\xA9"), u"Caf\u00E9");
    // A byte-order mark later in the text is an ordinary character.
    EXPECT_EQ(TitleFromBytes("", "a\xEF\xBB\xBF"), u"a\uFEFF");
}

TEST(Decoding, EachMaximalIllFormedUtf8SubsequenceIsOneReplacement) {
    const struct {
        const char* bytes;
        const char16_t* expected;
    } cases[] = {
        {"a\x80z", u"a\uFFFDz"},                               // lone continuation
        {"a\xC0\xAFz", u"a\uFFFD\uFFFDz"},                     // overlong: C0 never leads
        {"a\xE0\x80\x80z", u"a\uFFFD\uFFFD\uFFFDz"},           // overlong three-byte form
        {"a\xED\xA0\x80z", u"a\uFFFD\uFFFD\uFFFDz"},           // encoded surrogate
        {"a\xF4\x90\x80\x80z", u"a\uFFFD\uFFFD\uFFFD\uFFFDz"}, // beyond U+10FFFF
        {"a\xF5z", u"a\uFFFDz"},
        {"a\xE2\x82z", u"a\uFFFDz"}, // truncated: one replacement for both bytes
        {"a\xF0\x9F\x9Az", u"a\uFFFDz"},
        {"a\xE2\x82\xE2\x82\xACz", u"a\uFFFD\u20ACz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TitleFromBytes("", c.bytes), c.expected) << c.bytes;
    }
    // Every lead byte followed by each edge of every continuation range, at
    // every length a sequence can have, cut short or not: the decoder's and
    // the conversion's invariants hold.
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
    std::string items;
    for (std::size_t at = 0; at < all.size(); at += 90) {
        items += Item(all.substr(at, 90), "S", "L", "D");
    }
    EXPECT_EQ(quendix_fuzz::CheckConversion(Feed(items)), "");
    EXPECT_GT(Convert(Feed(items)).result, 100);
}

TEST(Decoding, TruncatedUtf8AtTheEndOfTheFileIsOneReplacement) {
    for (const std::string bytes : {"\xF0\x9F\x9A", "\xC3", "\xE2\x82"}) {
        char32_t character = 0;
        EXPECT_EQ(Step(quendix::Encoding::Utf8, bytes, true, &character), bytes.size());
        EXPECT_EQ(character, U'\uFFFD');
        // Mid-file, the decoder waits for the rest instead.
        EXPECT_EQ(Step(quendix::Encoding::Utf8, bytes, false, &character), 0u);
    }
    const Conversion c = Convert(Feed(Item("T", "S", "L", "D")) + "\xF0\x9F");
    EXPECT_EQ(c.result, 1);
}

TEST(Decoding, Utf16BothByteOrders) {
    const std::u16string feed = U16(Feed(Item("Tea \u2615 \U0001F375", "S", "L", "D")));
    for (bool bigEndian : {false, true}) {
        const std::string bom = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        const Conversion c = Convert(bom + Utf16Bytes(feed, bigEndian));
        EXPECT_EQ(c.result, 1);
        EXPECT_EQ(c.records, Record("Tea \u2615 \U0001F375", "D", "S", "L"));
    }
}

TEST(Decoding, UnpairedUtf16SurrogatesAndOddLastByteBecomeReplacements) {
    const char16_t high = 0xD83D, low = 0xDE80;
    const struct {
        std::u16string title;
        std::u16string expected;
    } cases[] = {{{high}, u"\uFFFD"},
                 {{low}, u"\uFFFD"},
                 {{low, high}, u"\uFFFD\uFFFD"},
                 {{high, high, low}, u"\uFFFD\U0001F680"},
                 {{high, u'x'}, u"\uFFFDx"},
                 {{high, u'<'}, u"\uFFFD<"},
                 {{u'a', low}, u"a\uFFFD"},
                 {{high, 0xFFFE}, u"\uFFFD\uFFFE"}};
    for (bool bigEndian : {false, true}) {
        std::u16string items;
        for (const auto& c : cases) {
            items += U16("<item><title>") + c.title +
                     U16("</title><description>S</description><link>L</link><pubDate>D</pubDate>");
        }
        const std::string bytes =
            std::string(bigEndian ? "\xFE\xFF" : "\xFF\xFE") + Utf16Bytes(items, bigEndian);
        // Cut anywhere, so that the file ends inside a character or a pair.
        for (std::size_t cut : {bytes.size(), bytes.size() - 1, bytes.size() - 3}) {
            EXPECT_EQ(quendix_fuzz::CheckConversion(bytes.substr(0, cut)), "") << cut;
        }
        // A first half and an odd byte ending the file are one error, after
        // the last item.
        const Conversion c = Convert(bytes + Utf16Bytes({high}, bigEndian) + "x");
        ASSERT_EQ(c.result, static_cast<int>(std::size(cases)));
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            EXPECT_EQ(c.records.substr(i * QUENDIX_RECORD_CHARS, cases[i].expected.size() + 1),
                      cases[i].expected + u' ')
                << i << (bigEndian ? " big-endian" : " little-endian");
        }
    }

    char32_t character = 0;
    EXPECT_EQ(Step(quendix::Encoding::Utf16LE, "x", true, &character), 1u);
    EXPECT_EQ(character, U'\uFFFD');
    EXPECT_EQ(Step(quendix::Encoding::Utf16LE, std::string("\x00\xD8", 2), true, &character), 2u);
    EXPECT_EQ(character, U'\uFFFD');
    // A first half and an odd byte left at the end are one error together.
    EXPECT_EQ(Step(quendix::Encoding::Utf16LE, std::string("\x00\xD8x", 3), true, &character), 3u);
    EXPECT_EQ(character, U'\uFFFD');
}

TEST(Decoding, Windows1252AsBrowsersDecodeIt) {
    EXPECT_EQ(TitleFromBytes(Declaration("iso-8859-1"), "\x80 \x93q\x94 \x81\x8D \xE9\xFF"),
              u"\u20AC \u201Cq\u201D \u0081\u008D \u00E9\u00FF");
    // Without the declaration the same bytes are ill-formed UTF-8.
    EXPECT_EQ(TitleFromBytes("", "\xE9t\xE9"), u"\uFFFDt\uFFFD");
}

TEST(Newlines, CrLfBecomesLfAndALoneCrStays) {
    EXPECT_EQ(TitleFromBytes("", "a\r\nb\rc\n\r\r\nd"), u"a\nb\rc\n\r\nd");
    std::u16string feed = U16(Feed(Item("a\r\nb\rc", "S", "L", "D")));
    const Conversion c = Convert("\xFE\xFF" + Utf16Bytes(feed, true));
    EXPECT_EQ(SplitRecords(c.records)[0].title, "a\nb\rc");
}

TEST(Decoding, NulIsAnOrdinaryCharacterEverywhere) {
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

TEST(OutputBytes, LittleEndianWithoutByteOrderMark) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(Item("\xE2\x82\xAC", "S", "L", "D")));
    ASSERT_EQ(ConvertFile(Wide(scratch.Path("in.xml")).c_str(), Wide(scratch.Path("out")).c_str()),
              1);
    const std::string bytes = ReadFile(scratch.Path("out"));
    ASSERT_EQ(bytes.size(), 1300u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xAC\x20\x20\x00", 4));
    EXPECT_EQ(bytes.substr(1298), std::string(" \0", 2));
}
