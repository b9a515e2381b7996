// Bytes in, characters out: choosing the encoding, decoding ill-formed
// input, newlines, and the byte form of the record file.
#include "encoding/decode.h"
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

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
    std::u16string feed = U16(Feed(Item("a@b#c", "S", "L", "D")));
    feed[feed.find(u'@')] = 0xDC00; // second half alone
    feed[feed.find(u'#')] = 0xD800; // first half followed by a letter
    const Conversion c = Convert("\xFF\xFE" + Utf16Bytes(feed, false) + "x");
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(SplitRecords(c.records)[0].title, "a\xEF\xBF\xBD"
                                                "b\xEF\xBF\xBD"
                                                "c");

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

TEST(Newlines, NulIsAnOrdinaryCharacter) {
    const std::string title("a\0b", 3);
    const Conversion c = Convert(Feed(Item(title, std::string("s\0t", 3), "L", "D")));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.records.substr(0, 3), std::u16string(u"a\0b", 3));
    EXPECT_EQ(c.records.substr(150, 3), std::u16string(u"s\0t", 3));
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
