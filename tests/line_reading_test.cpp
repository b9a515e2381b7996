// ReadLine against a reading built from DecodeCharacter alone, one
// character at a time. The inputs put every kind of character (ASCII runs
// of every length, two-, three- and four-byte UTF-8, ill-formed bytes, tabs
// and other controls, CR, LF and CR LF) at every offset of a vector block,
// across the end of the input buffer, and at every cut of a small line
// limit. The same tests run against the scalar build.
#include "platform/decode.h"
#include "platform/wide_stream.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace quendix_test;

namespace {

// The characters of bytes, decoded one by one, CR LF joined into LF.
std::u32string DecodeAll(quendix::Encoding encoding, const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::u32string out;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t c = 0;
        at += quendix::DecodeCharacter(encoding, data + at, bytes.size() - at, true, &c);
        if (c == U'\n' && !out.empty() && out.back() == U'\r') {
            out.back() = U'\n';
        } else {
            out += c;
        }
    }
    return out;
}

void Append(std::u16string& line, char32_t c) {
    if (c >= 0x10000) {
        line += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        line += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        line += static_cast<char16_t>(c);
    }
}

// Lines as ReadLine must give them: at most limit - 1 characters, ending
// after a newline, a pair that would not fit left for the next line.
std::vector<std::u16string> ExpectedLines(const std::u32string& characters, std::size_t limit) {
    std::vector<std::u16string> lines;
    std::u16string line;
    for (const char32_t c : characters) {
        const std::size_t size = c >= 0x10000 ? 2 : 1;
        if (line.size() + size > limit - 1) {
            lines.push_back(line);
            line.clear();
        }
        Append(line, c);
        if (c == U'\n' || line.size() == limit - 1) {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::u16string> ReadLines(const std::string& path, std::size_t limit) {
    quendix::WideInputStream stream;
    static std::vector<unsigned char> buffer(quendix::kInputBufferBytes);
    EXPECT_TRUE(quendix::OpenInput(stream, Wide(path).c_str(), buffer.data()));
    quendix::ChooseEncoding(stream);
    std::vector<std::u16string> lines;
    static std::vector<char16_t> line;
    line.resize(limit > line.size() ? limit : line.size());
    while (!quendix::AtEndOfInput(stream)) {
        const std::size_t length = quendix::ReadLine(stream, line.data(), limit);
        EXPECT_EQ(line[length], 0);
        if (length != 0) {
            lines.emplace_back(line.data(), length);
        }
    }
    quendix::CloseInput(stream);
    return lines;
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

void ExpectSameLines(const std::string& bytes, std::size_t limit,
                     quendix::Encoding encoding = quendix::Encoding::Utf8) {
    static const ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), bytes);
    EXPECT_EQ(ReadLines(scratch.Path("in.xml"), limit),
              ExpectedLines(DecodeAll(encoding, bytes), limit))
        << "limit " << limit << ", " << bytes.size() << " bytes";
}

} // namespace

TEST(LineReading, Utf8AgreesWithCharacterByCharacterDecoding) {
    std::mt19937 random(17);
    for (int round = 0; round < 40; ++round) {
        ExpectSameLines(Mixed(random, 1 + random() % 600), 128000);
    }
}

TEST(LineReading, SmallLimitsCutLinesAtEveryOffset) {
    std::mt19937 random(23);
    // From 3: a limit of 2 leaves no room for a pair at all.
    for (std::size_t limit = 3; limit < 40; ++limit) {
        ExpectSameLines(Mixed(random, 700), limit);
    }
}

TEST(LineReading, AsciiRunsOfEveryLengthEndAtTheirStop) {
    for (std::size_t run = 0; run < 70; ++run) {
        std::string lines;
        for (const std::string stop : {"\n", "\r\n", "\r", "\t", "\xC3\xA9", "\xF0\x9F\x9A\xA4"}) {
            lines += std::string(run, 'x') + stop + "tail\n";
        }
        ExpectSameLines(lines, 128000);
    }
}

TEST(LineReading, CharactersAcrossTheEndOfTheInputBuffer) {
    std::mt19937 random(29);
    for (const std::string piece : {"\r\n", "\xC3\xA9", "\xE6\x97\xA5", "\xF0\x9F\x9A\xA4", "\n"}) {
        for (std::size_t shift = 0; shift < 20; ++shift) {
            std::string bytes(quendix::kInputBufferBytes - 10 + shift, 'a');
            bytes[random() % bytes.size()] = '\n';
            ExpectSameLines(bytes + piece + "end\n", 128000);
        }
    }
}

TEST(LineReading, Windows1252TakesTheSameAsciiRuns) {
    std::mt19937 random(31);
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n";
    for (std::size_t limit : {5, 17, 128000}) {
        ExpectSameLines(declaration + Mixed(random, 900), limit, quendix::Encoding::Windows1252);
    }
}

namespace {

// What ReadText must give: the characters in order, as many as fit whole.
std::u16string ExpectedText(const std::u32string& characters, std::size_t capacity) {
    std::u16string text;
    for (const char32_t c : characters) {
        if (text.size() + (c >= 0x10000 ? 2 : 1) > capacity) {
            break;
        }
        Append(text, c);
    }
    return text;
}

std::u16string ReadWholeText(const std::string& path, std::size_t capacity, bool* atEnd) {
    quendix::WideInputStream stream;
    std::vector<unsigned char> buffer(quendix::kInputBufferBytes);
    EXPECT_TRUE(quendix::OpenInput(stream, Wide(path).c_str(), buffer.data()));
    quendix::ChooseEncoding(stream);
    std::vector<char16_t> text(capacity + 1, u'#');
    const std::size_t length = quendix::ReadText(stream, text.data(), capacity);
    EXPECT_EQ(text[capacity], u'#'); // nothing past the capacity
    *atEnd = quendix::AtEndOfInput(stream);
    quendix::CloseInput(stream);
    return std::u16string(text.data(), length);
}

} // namespace

TEST(LineReading, ReadTextGivesTheLinesJoinedUpToItsCapacity) {
    std::mt19937 random(37);
    ScratchDirectory scratch;
    for (int round = 0; round < 30; ++round) {
        const std::string bytes = Mixed(random, 1 + random() % 900) +
                                  (round % 2 == 0 ? std::string(70000, 'z') : std::string());
        WriteFile(scratch.Path("in.xml"), bytes);
        const std::u32string characters = DecodeAll(quendix::Encoding::Utf8, bytes);
        for (const std::size_t capacity : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                           std::size_t(1 + random() % 700), std::size_t{127999}}) {
            bool atEnd = false;
            const std::u16string expected = ExpectedText(characters, capacity);
            EXPECT_EQ(ReadWholeText(scratch.Path("in.xml"), capacity, &atEnd), expected)
                << "capacity " << capacity;
            EXPECT_EQ(atEnd,
                      expected.size() < capacity &&
                          expected.size() == ExpectedText(characters, ~std::size_t{0}).size());
        }
    }
}

TEST(LineReading, ReadTextRunsOfLongerCharactersAcrossTheEndOfTheInputBuffer) {
    // Two- and three-byte characters one after another are decoded as a run;
    // the run must stop whole at the buffer's end and go on after it, with
    // an ill-formed byte or a four-byte character ending it early.
    ScratchDirectory scratch;
    for (const std::string run :
         {"\xC3\xA9\xE6\x97\xA5\xC3\xA9\xE6\x97\xA5\xCE\xB1", "\xC3\xA9\xC3\xA9\xFF\xE6\x97\xA5",
          "\xE6\x97\xA5\xF0\x9F\x9A\xA4\xC3\xA9"}) {
        for (std::size_t shift = 0; shift < 16; ++shift) {
            const std::string bytes =
                std::string(quendix::kInputBufferBytes - 12 + shift, 'a') + run + "end";
            WriteFile(scratch.Path("in.xml"), bytes);
            bool atEnd = false;
            EXPECT_EQ(ReadWholeText(scratch.Path("in.xml"), 127999, &atEnd),
                      ExpectedText(DecodeAll(quendix::Encoding::Utf8, bytes), 127999))
                << "shift " << shift;
        }
    }
}
