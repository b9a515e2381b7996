// ReadText against a reading built from DecodeStep alone, one step at a
// time. The inputs put every kind of character (ASCII runs of every length,
// multi-byte sequences, ill-formed bytes, controls, CR, LF and CR LF) at
// every offset of a vector block, across the end of the input buffer, and
// at every cut of a small capacity, in every encoding. The same tests run
// against the SSE2-only and scalar builds.
#include "encoding/decode.h"
#include "fuzz/checks.h"
#include "reading/decoding_input.h"
#include "tests/reference_converter.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace quendix_test;
using quendix::Encoding;

namespace {

// The characters of bytes as the plain second implementation decodes them,
// CR LF joined into LF.
std::u32string DecodeAll(Encoding encoding, const std::string& bytes) {
    return quendix_reference::JoinLineEnds(quendix_reference::DecodeAll(encoding, bytes));
}

// What one ReadText of capacity must give from the start: the characters
// in order, as many as fit whole.
std::u16string ExpectedText(const std::u32string& characters, std::size_t capacity) {
    std::u16string text;
    for (const char32_t c : characters) {
        if (text.size() + (c >= 0x10000 ? 2 : 1) > capacity) {
            break;
        }
        text += quendix_reference::ToUtf16(std::u32string(1, c));
    }
    return text;
}

// The whole file read with reads of capacity characters each, into a buffer
// one larger whose last place must stay untouched. Each read but the last
// must fill its room but for one place at most.
std::u16string ReadInPieces(const std::string& path, std::size_t capacity,
                            Encoding* chosen = nullptr) {
    quendix::DecodingInput stream;
    static std::vector<unsigned char> buffer(quendix::kInputBufferBytes);
    EXPECT_TRUE(quendix::OpenInput(stream, Wide(path).c_str(), buffer.data()));
    quendix::ChooseEncoding(stream, chosen);
    std::u16string text;
    std::vector<char16_t> piece(capacity + 1);
    while (!quendix::AtEndOfInput(stream)) {
        piece[capacity] = u'#';
        const std::size_t length = quendix::ReadText(stream, piece.data(), capacity);
        EXPECT_EQ(piece[capacity], u'#');
        if (!quendix::AtEndOfInput(stream)) {
            EXPECT_GE(length + 1, capacity) << "a read stopped short without meeting the end";
        }
        text.append(piece.data(), length);
    }
    quendix::CloseInput(stream);
    return text;
}

std::string Mixed(std::mt19937& random, std::size_t size) {
    static const std::vector<std::string> pieces = {"a",
                                                    "<item>",
                                                    "plain ascii words ",
                                                    "\t",
                                                    "\x0B",
                                                    "\x01",
                                                    "\r",
                                                    "\n",
                                                    "\r\n",
                                                    "\xC3\xA9",
                                                    "\xE6\x97\xA5",
                                                    "\xF0\x9F\x9A\xA4",
                                                    "\xE0\xA0\x80",
                                                    "\xED\x9F\xBF",
                                                    "\x80",
                                                    "\xC3",
                                                    "\xE6\x97",
                                                    "\xED\xA0\x80",
                                                    "\xE0\x80\xAF",
                                                    "\xF4\x90\x80\x80",
                                                    "\xFF",
                                                    "\xC0\xAF",
                                                    "0123456789abcdef",
                                                    "0123456789abcde"};
    std::string out;
    while (out.size() < size) {
        out += pieces[random() % pieces.size()];
    }
    return out;
}

// Bytes for any encoding: ASCII, CR and LF, escape sequences, and high
// bytes at random, so that every decoder meets well-formed and ill-formed
// sequences of every length.
std::string Scrambled(std::mt19937& random, std::size_t size) {
    static const std::vector<std::string> pieces = {
        "text ",    "\r\n",     "\r",          "\n", "\x1B(B",           "\x1B$B",
        "\x1B(J",   "\x1B(I",   "\x1B",        "$B", "\x81\x30\x81\x30", "\x84\x31\xA4\x39",
        "\x88\x62", "\x8E\xB1", "\x8F\xB0\xA1"};
    std::string out;
    while (out.size() < size) {
        if (random() % 3 == 0) {
            out += pieces[random() % pieces.size()];
        } else {
            out += static_cast<char>(random() % 2 == 0 ? 0x80 + random() % 128 : random() % 128);
        }
    }
    return out;
}

void ExpectSameText(const std::string& bytes, std::size_t capacity,
                    Encoding encoding = Encoding::Utf8) {
    static const ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), bytes);
    Encoding chosen = encoding;
    EXPECT_EQ(ReadInPieces(scratch.Path("in.xml"), capacity, &chosen),
              quendix_reference::ToUtf16(DecodeAll(encoding, bytes)))
        << quendix::EncodingName(encoding) << ", capacity " << capacity << ", " << bytes.size()
        << " bytes";
}

} // namespace

TEST(TextReading, Utf8AgreesWithStepByStepDecoding) {
    std::mt19937 random(17);
    for (int round = 0; round < 40; ++round) {
        ExpectSameText(Mixed(random, 1 + random() % 600), 128000);
    }
}

TEST(TextReading, SmallCapacitiesCutTheTextAtEveryOffset) {
    std::mt19937 random(23);
    for (std::size_t capacity = 2; capacity < 40; ++capacity) {
        ExpectSameText(Mixed(random, 700), capacity);
    }
}

TEST(TextReading, AsciiRunsOfEveryLengthEndAtTheirStop) {
    for (std::size_t run = 0; run < 70; ++run) {
        std::string lines;
        for (const std::string stop : {"\n", "\r\n", "\r", "\t", "\xC3\xA9", "\xF0\x9F\x9A\xA4"}) {
            lines += std::string(run, 'x') + stop + "tail\n";
        }
        ExpectSameText(lines, 128000);
    }
}

TEST(TextReading, CharactersAcrossTheEndOfTheInputBuffer) {
    for (const std::string piece :
         {"\r\n", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x9A\xA4", "\n",
          "\xC3\xA9\xE6\x97\xA5\xCE\xB1\xFF\xE6\x97\xA5", "\xE6\x97\xA5\xF0\x9F\x9A\xA4\xC3\xA9"}) {
        for (std::size_t shift = 0; shift < 20; ++shift) {
            const std::string bytes(quendix::kInputBufferBytes - 12 + shift, 'a');
            ExpectSameText(bytes + piece + "end\n", 128000);
        }
    }
}

// Every encoding: the text is the same however it is split, between reads
// of any capacity or across the end of the input buffer.
TEST(TextReading, EveryEncodingGivesTheSameTextHoweverTheBytesAreSplit) {
    std::mt19937 random(41);
    for (int index = 0; index < quendix::kEncodingCount; ++index) {
        const auto encoding = static_cast<Encoding>(index);
        const std::string bytes = Scrambled(random, 400);
        for (std::size_t capacity : {2, 3, 7, 128000}) {
            ExpectSameText(bytes, capacity, encoding);
        }
        for (std::size_t shift = 1; shift <= 9; ++shift) {
            // ASCII padding (UTF-16: whole units) up to just before the
            // buffer's end, then the bytes across it.
            const std::string padding(quendix::kInputBufferBytes - 2 * shift, ' ');
            ExpectSameText(padding + bytes, shift % 2 == 0 ? 128000 : 5, encoding);
        }
    }
}

// The two-byte encodings decode runs of ordinary pairs many at a time: runs
// of every length up to past two such steps, each ended by every kind of
// stop, and every lead byte with every trail byte in turn.
TEST(TextReading, TwoByteRunsEndAtEveryKindOfStop) {
    struct Case {
        Encoding encoding;
        std::string pair;               // an ordinary two-byte character
        std::vector<std::string> stops; // what may end a run of them
    };
    const std::vector<std::string> common = {"a", "\r\n", "\x81\x39", "\xFF", "\x80"};
    const std::vector<Case> cases = {
        {Encoding::ShiftJis, "\x88\x9F", {"\xB1", "\x85\x40", "\xF0\x40", "\x81\x7F", "\x88"}},
        {Encoding::Gb18030, "\xB0\xA1", {"\x81\x30\x81\x30", "\xA1\xFF", "\xB0"}},
        {Encoding::Gbk, "\xB0\xA1", {"\xA1\x7F"}},
        {Encoding::EucJp, "\xB0\xA1", {"\x8E\xB1", "\x8F\xB0\xA1", "\xA9\xA1", "\xB0\x41"}},
        {Encoding::EucKr, "\xB0\xA1", {"\xC9\xA1", "\xB0\x40", "\xA2\xE8"}},
        {Encoding::Big5, "\xA4\x40", {"\x88\x62", "\x87\x40", "\xA4\x7F"}},
    };
    std::string everyPair;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            everyPair += {static_cast<char>(lead), static_cast<char>(trail)};
        }
    }
    for (const Case& test : cases) {
        std::vector<std::string> stops = common;
        stops.insert(stops.end(), test.stops.begin(), test.stops.end());
        std::string runs;
        for (std::size_t length = 0; length <= 40; ++length) {
            for (const std::string& stop : stops) {
                for (std::size_t i = 0; i < length; ++i) {
                    runs += test.pair;
                }
                runs += stop;
            }
        }
        for (std::size_t capacity : {3, 17, 128000}) {
            ExpectSameText(runs, capacity, test.encoding);
        }
        ExpectSameText(everyPair, 128000, test.encoding);
    }
}

// UTF-8 text in other scripts goes sixteen bytes a step with the spaces
// between its words: runs of every length of each kind of word, each ended
// by every kind of stop, read with small and full capacities and across the
// end of the input buffer.
TEST(TextReading, Utf8WordRunsEndAtEveryKindOfStop) {
    const std::vector<std::string> words = {"\xD0\xBC\xD0\xB8\xD1\x80 ", "\xE6\x97\xA5\xE6\x9C\xAC",
                                            "\xD8\xB3\xD9\x84 12",
                                            "\xE3\x81\x82"
                                            "a\xC3\xA9",
                                            // windows-1251 read as UTF-8:
                                            // errors a byte each.
                                            "\xCC\xEE\xF1\xEA\xE2\xE0 "};
    const std::vector<std::string> stops = {"\r\n",
                                            "\r",
                                            "\xF0\x9F\x9A\xA4",
                                            "\xF4\x90\x80\x80",
                                            "\xF0\x8F\xBF\xBF",
                                            "\xF0\x9F\x9A",
                                            "\xE0\x9F\xBF",
                                            "\xED\xA0\x80",
                                            "\xEF\xBF\xBF",
                                            "\xC0\xAF",
                                            "\xC1\xBF",
                                            "\xE0\xA0\x80",
                                            "\xC3",
                                            "\xE6\x97",
                                            "\x80",
                                            "\xFF",
                                            "0123456789abcdef"};
    for (const std::string& word : words) {
        std::string runs;
        for (std::size_t length = 0; length <= 12; ++length) {
            for (const std::string& stop : stops) {
                for (std::size_t i = 0; i < length; ++i) {
                    runs += word;
                }
                runs += stop;
            }
        }
        // The block steps at every offset, against the plain form and the
        // one-at-a-time decoder.
        EXPECT_EQ(quendix_fuzz::CheckDecoder(quendix::Encoding::Utf8, runs), "");
        for (std::size_t capacity : {3, 17, 128000}) {
            ExpectSameText(runs, capacity);
        }
        for (std::size_t shift = 1; shift <= 17; shift += 4) {
            ExpectSameText(std::string(quendix::kInputBufferBytes - shift, ' ') + runs, 128000);
        }
    }
}

TEST(TextReading, ReadTextGivesTheCharactersUpToItsCapacity) {
    std::mt19937 random(37);
    ScratchDirectory scratch;
    for (int round = 0; round < 30; ++round) {
        const std::string bytes = Mixed(random, 1 + random() % 900) +
                                  (round % 2 == 0 ? std::string(70000, 'z') : std::string());
        WriteFile(scratch.Path("in.xml"), bytes);
        const std::u32string characters = DecodeAll(Encoding::Utf8, bytes);
        for (const std::size_t capacity : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                           std::size_t(1 + random() % 700), std::size_t{127999}}) {
            quendix::DecodingInput stream;
            std::vector<unsigned char> buffer(quendix::kInputBufferBytes);
            ASSERT_TRUE(
                quendix::OpenInput(stream, Wide(scratch.Path("in.xml")).c_str(), buffer.data()));
            quendix::ChooseEncoding(stream);
            std::vector<char16_t> text(capacity);
            const std::size_t length = quendix::ReadText(stream, text.data(), capacity);
            const std::u16string expected = ExpectedText(characters, capacity);
            EXPECT_EQ(std::u16string(text.data(), length), expected) << "capacity " << capacity;
            EXPECT_EQ(quendix::AtEndOfInput(stream),
                      expected.size() < capacity &&
                          expected.size() == ExpectedText(characters, ~std::size_t{0}).size());
            quendix::CloseInput(stream);
        }
    }
}
