// The whole conversion, through ConvertFile itself, on a real file.
#include "convert/conversion.h"
#include "convert/feed_window.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "quendix.h"
#include "tests/reference_converter.h"

namespace quendix_fuzz {

namespace {

constexpr std::size_t kRecordBytes = QUENDIX_RECORD_BYTES;
// The reference searches naively; past this it would be too slow to run on
// every input. A full feed text in UTF-16 is about 250 KiB.
constexpr std::size_t kReferenceLimit = 512 * 1024;
constexpr std::size_t kFeedLimit = quendix::kWindowLimit;

struct Output {
    int result;
    std::string bytes;
};

Output ConvertOnce(const ScratchFile& input) {
    const ScratchFile output;
    const int result = ConvertFile(input.WidePath().c_str(), output.WidePath().c_str());
    return {result, ReadBytes(output.Path())};
}

// A small window shows the window rule at work in feeds of a few hundred
// characters; its size comes from the input, so each input keeps its own.
std::size_t SmallWindowFor(const std::string& bytes) {
    return 16 + bytes.size() % 97;
}

Output ConvertInSmallWindows(const ScratchFile& input, std::size_t windowLimit) {
    const ScratchFile output;
    quendix::ConversionOptions options;
    options.windowLimit = windowLimit;
    const int result = quendix::ConvertFileWith(input.WidePath().c_str(), output.WidePath().c_str(),
                                                options, nullptr);
    return {result, ReadBytes(output.Path())};
}

std::string CheckRecordFile(const Output& out) {
    if (out.bytes.size() % kRecordBytes != 0) {
        return Describe("record file size modulo 1300", 0,
                        static_cast<long long>(out.bytes.size() % kRecordBytes));
    }
    const long long records = static_cast<long long>(out.bytes.size() / kRecordBytes);
    if (out.result != records) {
        return Describe("result against records in the file", records, out.result);
    }
    const std::size_t broken = FirstBrokenCharacter(Units(out.bytes));
    if (broken != std::u16string::npos) {
        return Describe("broken character at character", -1, static_cast<long long>(broken));
    }
    return "";
}

std::string CheckAgainstReference(const std::string& bytes, const Output& out,
                                  std::size_t windowLimit) {
    if (bytes.size() > kReferenceLimit) {
        return "";
    }
    const quendix_reference::Result expected = quendix_reference::ConvertBytes(bytes, windowLimit);
    if (out.result != expected.count) {
        return Describe("result against the reference", expected.count, out.result);
    }
    const std::u16string got = Units(out.bytes);
    if (got != expected.records) {
        std::size_t at = 0;
        while (at < got.size() && at < expected.records.size() && got[at] == expected.records[at]) {
            ++at;
        }
        return Describe("records differ from the reference at character", -1,
                        static_cast<long long>(at));
    }
    return "";
}

} // namespace

std::string CheckConversion(const std::string& bytes) {
    const ScratchFile input;
    WriteBytes(input.Path(), bytes);
    const Output first = ConvertOnce(input);
    std::string failure = CheckRecordFile(first);
    if (!failure.empty()) {
        return failure;
    }
    const Output second = ConvertOnce(input);
    if (second.result != first.result || second.bytes != first.bytes) {
        return "a second conversion of the same input gave other output";
    }
    failure = CheckAgainstReference(bytes, first, quendix::kWindowLimit);
    if (!failure.empty()) {
        return failure;
    }
    const std::size_t window = SmallWindowFor(bytes);
    const Output windowed = ConvertInSmallWindows(input, window);
    failure = CheckRecordFile(windowed);
    if (failure.empty()) {
        failure = CheckAgainstReference(bytes, windowed, window);
    }
    return failure.empty() ? "" : "in windows of " + std::to_string(window) + ": " + failure;
}

namespace {

// What makes the library choose an encoding, and how many characters of
// feed text that adds.
struct Framing {
    std::string prefix;
    std::size_t prefixCharacters;
};

enum class Width { Utf8, Utf16LE, Utf16BE, Latin1 };

Framing FramingFor(Width width) {
    switch (width) {
    case Width::Utf16LE:
        return {"\xFF\xFE", 0};
    case Width::Utf16BE:
        return {"\xFE\xFF", 0};
    case Width::Latin1: {
        const std::string declaration = "<?xml version=\"1.0\" encoding=\"latin1\"?>";
        return {declaration, declaration.size()};
    }
    case Width::Utf8:
        break;
    }
    return {"", 0};
}

// ASCII text as bytes in the encoding.
std::string InEncoding(const std::string& ascii, Width width) {
    std::string out;
    for (char c : ascii) {
        out += width == Width::Utf16LE   ? std::string{c, '\0'}
               : width == Width::Utf16BE ? std::string{'\0', c}
                                         : std::string(1, c);
    }
    return out;
}

// What fills the feed text up to the input: spaces, or tags that make the
// index of tag places overflow, or whole items.
const char* const kPaddings[] = {
    " ", "<item>", "</title>",
    "<item><title>T</title><description>S</description><link>L</link><pubDate>D</pubDate>"
    "</item>\n"};

std::string Padding(std::size_t characters, unsigned char choice, Width width) {
    const std::string unit = kPaddings[(choice / 4) % 4];
    std::string ascii;
    while (ascii.size() < characters) {
        ascii += unit;
    }
    ascii.resize(characters);
    return InEncoding(ascii, width);
}

} // namespace

std::string AtCapacity(const std::string& bytes) {
    if (bytes.size() < 2) {
        return bytes;
    }
    const unsigned char choice = static_cast<unsigned char>(bytes[0]);
    const Width width = static_cast<Width>(choice % 4);
    const Framing framing = FramingFor(width);
    const std::size_t before = static_cast<unsigned char>(bytes[1]);
    return framing.prefix + Padding(kFeedLimit - framing.prefixCharacters - before, choice, width) +
           bytes.substr(2);
}

std::string CheckConversionAtCapacity(const std::string& bytes) {
    return CheckConversion(AtCapacity(bytes));
}

} // namespace quendix_fuzz
