// Each legacy decoder against the Encoding Standard's own index files
// (data/encoding), read at test time: every entry is reached through the
// byte sequence the standard's pointer formula gives for it. Then the
// errors and special cases the standard spells out, one table.
#include "encoding/decode.h"
#include "tests/reference_converter.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using quendix::Encoding;

namespace {

struct IndexEntry {
    unsigned pointer;
    char32_t codePoint;
};

std::vector<IndexEntry> ReadIndex(const std::string& name) {
    std::ifstream file(std::string(QUENDIX_SOURCE_DIR) + "/data/encoding/index-" + name + ".txt");
    EXPECT_TRUE(file) << name;
    std::vector<IndexEntry> entries;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        unsigned pointer = 0;
        std::string code;
        if (line.empty() || line[0] == '#' || !(fields >> pointer >> code)) {
            continue;
        }
        entries.push_back({pointer, static_cast<char32_t>(std::stoul(code, nullptr, 16))});
    }
    return entries;
}

// Every character of bytes, decoded as at the end of the input.
std::u32string Decode(Encoding encoding, const std::string& bytes) {
    return quendix_reference::DecodeStepByStep(encoding, bytes);
}

std::string Bytes(std::initializer_list<unsigned> values) {
    std::string out;
    for (unsigned value : values) {
        out += static_cast<char>(value);
    }
    return out;
}

// A trail byte from its offset: offsets below the gap go from low, the rest
// from after the gap.
unsigned Trail(unsigned offset, unsigned gapAt, unsigned low, unsigned afterGap) {
    return offset < gapAt ? low + offset : afterGap + offset - gapAt;
}

// Checks that each entry's bytes decode to its code point alone; returns
// how many entries it checked.
template <class BytesOf>
int ExpectEveryEntry(Encoding encoding, const std::string& index, BytesOf bytesOf,
                     unsigned pointerLimit = ~0u) {
    int checked = 0;
    for (const IndexEntry& entry : ReadIndex(index)) {
        if (entry.pointer >= pointerLimit) {
            continue;
        }
        const std::string bytes = bytesOf(entry.pointer);
        const std::u32string got = Decode(encoding, bytes);
        if (got != std::u32string(1, entry.codePoint)) {
            ADD_FAILURE() << quendix::EncodingName(encoding) << " pointer " << entry.pointer
                          << " gave " << got.size() << " characters, first U+" << std::hex
                          << (got.empty() ? 0 : static_cast<unsigned>(got[0])) << " for U+"
                          << static_cast<unsigned>(entry.codePoint);
            return checked;
        }
        ++checked;
    }
    return checked;
}

} // namespace

TEST(DecoderIndexes, SingleByteEncodingsMapEveryByteAsTheirIndex) {
    const std::vector<std::pair<Encoding, const char*>> encodings = {
        {Encoding::Ibm866, "ibm866"},
        {Encoding::Iso8859_2, "iso-8859-2"},
        {Encoding::Iso8859_3, "iso-8859-3"},
        {Encoding::Iso8859_4, "iso-8859-4"},
        {Encoding::Iso8859_5, "iso-8859-5"},
        {Encoding::Iso8859_6, "iso-8859-6"},
        {Encoding::Iso8859_7, "iso-8859-7"},
        {Encoding::Iso8859_8, "iso-8859-8"},
        {Encoding::Iso8859_8I, "iso-8859-8"},
        {Encoding::Iso8859_10, "iso-8859-10"},
        {Encoding::Iso8859_13, "iso-8859-13"},
        {Encoding::Iso8859_14, "iso-8859-14"},
        {Encoding::Iso8859_15, "iso-8859-15"},
        {Encoding::Iso8859_16, "iso-8859-16"},
        {Encoding::Koi8R, "koi8-r"},
        {Encoding::Koi8U, "koi8-u"},
        {Encoding::Macintosh, "macintosh"},
        {Encoding::Windows874, "windows-874"},
        {Encoding::Windows1250, "windows-1250"},
        {Encoding::Windows1251, "windows-1251"},
        {Encoding::Windows1252, "windows-1252"},
        {Encoding::Windows1253, "windows-1253"},
        {Encoding::Windows1254, "windows-1254"},
        {Encoding::Windows1255, "windows-1255"},
        {Encoding::Windows1256, "windows-1256"},
        {Encoding::Windows1257, "windows-1257"},
        {Encoding::Windows1258, "windows-1258"},
        {Encoding::XMacCyrillic, "x-mac-cyrillic"}};
    for (const auto& [encoding, index] : encodings) {
        std::u32string expected(256, quendix::kReplacementCharacter);
        for (unsigned byte = 0; byte < 0x80; ++byte) {
            expected[byte] = byte;
        }
        for (const IndexEntry& entry : ReadIndex(index)) {
            expected[0x80 + entry.pointer] = entry.codePoint;
        }
        std::string all;
        for (unsigned byte = 0; byte < 256; ++byte) {
            all += static_cast<char>(byte);
        }
        EXPECT_EQ(Decode(encoding, all), expected) << index;
    }
}

TEST(DecoderIndexes, EveryTwoByteEntryThroughItsBytes) {
    auto gb = [](unsigned p) { return Bytes({p / 190 + 0x81, Trail(p % 190, 0x3F, 0x40, 0x80)}); };
    EXPECT_EQ(ExpectEveryEntry(Encoding::Gb18030, "gb18030", gb), 23940);
    EXPECT_EQ(ExpectEveryEntry(Encoding::Gbk, "gb18030", gb), 23940);
    // (The four pointers that give two code points are not in the index.)
    auto big5 = [](unsigned p) {
        return Bytes({p / 157 + 0x81, Trail(p % 157, 0x3F, 0x40, 0xA1)});
    };
    EXPECT_EQ(ExpectEveryEntry(Encoding::Big5, "big5", big5), 18590);
    auto eucKr = [](unsigned p) { return Bytes({p / 190 + 0x81, p % 190 + 0x41}); };
    EXPECT_EQ(ExpectEveryEntry(Encoding::EucKr, "euc-kr", eucKr), 17048);
    // jis0208 rows 1 to 94 through EUC-JP and ISO-2022-JP; all of it, the
    // rows past 94 included, through Shift_JIS.
    auto eucJp = [](unsigned p) { return Bytes({p / 94 + 0xA1, p % 94 + 0xA1}); };
    EXPECT_GT(ExpectEveryEntry(Encoding::EucJp, "jis0208", eucJp, 94 * 94), 6800);
    auto iso2022Jp = [](unsigned p) { return "\x1B$B" + Bytes({p / 94 + 0x21, p % 94 + 0x21}); };
    EXPECT_GT(ExpectEveryEntry(Encoding::Iso2022Jp, "jis0208", iso2022Jp, 94 * 94), 6800);
    auto shiftJis = [](unsigned p) {
        const unsigned lead = p / 188;
        return Bytes({lead + (lead < 0x1F ? 0x81 : 0xC1), Trail(p % 188, 0x3F, 0x40, 0x80)});
    };
    // (The index holds nothing in the user-defined area, 8836 to 10715.)
    EXPECT_EQ(ExpectEveryEntry(Encoding::ShiftJis, "jis0208", shiftJis), 7724);
    auto jis0212 = [](unsigned p) { return Bytes({0x8F, p / 94 + 0xA1, p % 94 + 0xA1}); };
    EXPECT_EQ(ExpectEveryEntry(Encoding::EucJp, "jis0212", jis0212), 6067);
}

TEST(DecoderIndexes, Gb18030FourByteRangesAndTheirLimits) {
    auto fourBytes = [](unsigned p) {
        return Bytes({p / 12600 + 0x81, p / 1260 % 10 + 0x30, p / 10 % 126 + 0x81, p % 10 + 0x30});
    };
    // Each range's first pointer, and the pointer just before the next.
    const std::vector<IndexEntry> ranges = ReadIndex("gb18030-ranges");
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        const char32_t first = ranges[i].pointer == 7457 ? 0xE7C7 : ranges[i].codePoint;
        EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(ranges[i].pointer)), std::u32string(1, first))
            << ranges[i].pointer;
        if (i + 1 < ranges.size() && ranges[i + 1].pointer != 189000) {
            const unsigned last = ranges[i + 1].pointer - 1;
            EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(last)),
                      std::u32string(1, ranges[i].codePoint + last - ranges[i].pointer))
                << last;
        }
    }
    const std::u32string error(1, quendix::kReplacementCharacter);
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(7457)), U"\uE7C7");
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(39419)), U"\uFFFF");
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(39420)), error);
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(188999)), error);
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(189000)), U"\U00010000");
    EXPECT_EQ(Decode(Encoding::Gb18030, fourBytes(1237575)), U"\U0010FFFF");
    EXPECT_EQ(Decode(Encoding::Gb18030, Bytes({0xE3, 0x32, 0x9A, 0x36})), error); // 1237576
    EXPECT_EQ(Decode(Encoding::Gb18030, Bytes({0x84, 0x31, 0xA4, 0x39})), U"\uFFFF");
}

// The errors the standard spells out, and the steps that are special.
TEST(DecoderIndexes, ErrorsAndSpecialSteps) {
    const struct {
        Encoding encoding;
        std::string bytes;
        std::u32string expected;
    } cases[] = {
        // A lead byte followed by an ASCII byte: the ASCII byte is decoded
        // again; any other bad trail byte is used up with the lead.
        {Encoding::Gb18030, "\x81<", U"\uFFFD<"},
        {Encoding::Gb18030, "\x81\x7F", U"\uFFFD\x7F"},
        {Encoding::Gb18030, "\x81\xFF", U"\uFFFD"},
        {Encoding::Gb18030, "\x80\xFF", U"\u20AC\uFFFD"},
        // gb18030's broken four-byte forms give back the second and third.
        {Encoding::Gb18030, "\x81\x30<", U"\uFFFD0<"},
        {Encoding::Gb18030, "\x81\x30\x81<", U"\uFFFD0\uFFFD<"},
        {Encoding::Gb18030, "\x81\x30\x81\x30\x81\x30", U"\u0080\uFFFD"},
        {Encoding::Big5, "\xA4<", U"\uFFFD<"},
        {Encoding::Big5, "\xA4\x80", U"\uFFFD"},
        {Encoding::Big5, "\x80\xFF", U"\uFFFD\uFFFD"},
        {Encoding::Big5, "\x88\x62\x88\x64\x88\xA3\x88\xA5",
         U"\u00CA\u0304\u00CA\u030C\u00EA\u0304\u00EA\u030C"},
        {Encoding::Big5, "\x87\x40", U"\U000043F0"},
        {Encoding::Big5, "\x8F\xDA", U"\U00023F8F"}, // a plane-2 entry
        {Encoding::EucKr, "\xB0<", U"\uFFFD<"},
        {Encoding::EucKr, "\xB0\xFF", U"\uFFFD"},
        {Encoding::EucJp,
         "\xA4"
         "a",
         U"\uFFFDa"},
        {Encoding::EucJp, "\x8E\xB1\x8E\xDF", U"\uFF71\uFF9F"},
        {Encoding::EucJp, "\x8E\xE0", U"\uFFFD"},
        {Encoding::EucJp,
         "\x8E"
         "a",
         U"\uFFFDa"},
        {Encoding::EucJp,
         "\x8F\xA1"
         "a",
         U"\uFFFDa"},
        {Encoding::EucJp, "\x8F\xA1\xA1", U"\uFFFD"},
        {Encoding::EucJp,
         "\x8F"
         "a",
         U"\uFFFDa"},
        {Encoding::ShiftJis, "\x88<", U"\uFFFD<"},
        {Encoding::ShiftJis, "\x80\xA0\xA1\xDF\xFD", U"\u0080\uFFFD\uFF61\uFF9F\uFFFD"},
        {Encoding::ShiftJis, "\xF0\x40\xF9\xFC", U"\uE000\uE757"},
        {Encoding::XUserDefined, "a\x80\xFF", U"a\uF780\uF7FF"},
        {Encoding::Replacement, "<?xml?>\x80", U"\uFFFD"},
        {Encoding::Replacement, "", U""},
        // Truncated at the end of the input: one error for what is left.
        {Encoding::Gb18030, "a\x81", U"a\uFFFD"},
        {Encoding::Gb18030, "a\x81\x30", U"a\uFFFD"},
        {Encoding::Gb18030, "a\x81\x30\x81", U"a\uFFFD"},
        {Encoding::Big5, "a\xA4", U"a\uFFFD"},
        {Encoding::EucJp, "a\x8F\xA1", U"a\uFFFD"},
        {Encoding::ShiftJis, "a\x88", U"a\uFFFD"},
        {Encoding::EucKr, "a\xB0", U"a\uFFFD"},
        {Encoding::Utf16LE, std::string("a\0\0\xD8x", 5), U"a\uFFFD"},
        // ISO-2022-JP: its sets, escape sequences and output flag.
        {Encoding::Iso2022Jp, "a\\~\x1B(J\\~\x1B(Ba", U"a\\~\u00A5\u203Ea"},
        {Encoding::Iso2022Jp, "\x1B(I\x21\x5F\x60", U"\uFF61\uFF9F\uFFFD"},
        {Encoding::Iso2022Jp, "\x1B$B\x30\x21\x1B(B", U"\u4E9C"},
        {Encoding::Iso2022Jp, "\x1B$@\x30\x21", U"\u4E9C"},
        {Encoding::Iso2022Jp, "\x1B(B\x1B(Ba", U"\uFFFDa"},     // nothing between
        {Encoding::Iso2022Jp, "\x1B$B\x30\x1B(Ba", U"\uFFFDa"}, // lead, then ESC
        {Encoding::Iso2022Jp, "\x1B$B\x30\x0A", U"\uFFFD"},
        {Encoding::Iso2022Jp, "\x1B$B\x30", U"\uFFFD"},
        {Encoding::Iso2022Jp, "\x1B$B\x0A", U"\uFFFD"},
        {Encoding::Iso2022Jp, "\x1B$Ca", U"\uFFFD$Ca"},
        {Encoding::Iso2022Jp,
         "\x1B"
         "a",
         U"\uFFFDa"},
        {Encoding::Iso2022Jp, "a\x1B", U"a\uFFFD"},
        {Encoding::Iso2022Jp, "a\x1B$", U"a\uFFFD$"},
        {Encoding::Iso2022Jp, "\x0E\x0F\x80", U"\uFFFD\uFFFD\uFFFD"},
        {Encoding::Iso2022Jp, "\x1B(Ja\x1B(Xb\\", U"a\uFFFD(Xb\u00A5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Decode(c.encoding, c.bytes), c.expected)
            << quendix::EncodingName(c.encoding) << " " << c.bytes;
    }
}
