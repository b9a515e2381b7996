// One input decoder, character by character and line by line.
#include "convert/feed_storage.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "platform/wide_stream.h"
#include "tests/reference_converter.h"

#include <vector>

namespace quendix_fuzz {

namespace {

using quendix::Encoding;
using Bytes = std::vector<unsigned char>;

struct Step {
    std::size_t used;
    char32_t character;
};

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

quendix_reference::ByteEncoding ReferenceEncoding(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return quendix_reference::ByteEncoding::Utf8;
    case Encoding::Utf16LE:
        return quendix_reference::ByteEncoding::Utf16LE;
    case Encoding::Utf16BE:
        return quendix_reference::ByteEncoding::Utf16BE;
    case Encoding::Windows1252:
        break;
    }
    return quendix_reference::ByteEncoding::Windows1252;
}

// Decodes the bytes whole, as at the end of a file. Every call must use
// between one and four of the bytes left and yield a scalar value.
std::string DecodeWhole(Encoding encoding, const Bytes& bytes, std::vector<Step>* steps) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t left = bytes.size() - at;
        char32_t c = 0;
        const std::size_t used =
            quendix::DecodeCharacter(encoding, bytes.data() + at, left, true, &c);
        if (used == 0 || used > left || used > quendix::kMaxCharacterBytes) {
            return Describe("bytes used at byte " + std::to_string(at), -1,
                            static_cast<long long>(used));
        }
        if (!IsScalarValue(c)) {
            return Describe("not a scalar value at byte " + std::to_string(at), -1,
                            static_cast<long long>(c));
        }
        steps->push_back({used, c});
        at += used;
    }
    return "";
}

// With only the first few bytes at hand and more to come, the decoder
// either waits (0) or gives exactly what it gives with all of them; with
// kMaxCharacterBytes at hand it never waits. Each piece is a buffer of its
// own size, so a read past it shows.
std::string CheckPiecemeal(Encoding encoding, const Bytes& bytes, const std::vector<Step>& steps) {
    std::size_t at = 0;
    for (const Step& step : steps) {
        const std::size_t left = bytes.size() - at;
        const std::size_t most =
            left < quendix::kMaxCharacterBytes ? left : quendix::kMaxCharacterBytes;
        for (std::size_t size = 1; size <= most; ++size) {
            const Bytes piece(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                              bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
            char32_t c = 0;
            const std::size_t used =
                quendix::DecodeCharacter(encoding, piece.data(), size, false, &c);
            const bool waited = used == 0 && size < quendix::kMaxCharacterBytes;
            if (!waited && (used != step.used || c != step.character)) {
                return Describe("piecemeal decoding at byte " + std::to_string(at) + " with " +
                                    std::to_string(size) + " bytes, bytes used",
                                static_cast<long long>(step.used), static_cast<long long>(used));
            }
        }
        at += step.used;
    }
    return "";
}

std::string CheckAgainstReferenceDecoder(Encoding encoding, const Bytes& bytes,
                                         const std::vector<Step>& steps) {
    const std::u32string expected = quendix_reference::DecodeAll(
        ReferenceEncoding(encoding), std::string(bytes.begin(), bytes.end()));
    if (expected.size() != steps.size()) {
        return Describe("characters against the reference decoder",
                        static_cast<long long>(expected.size()),
                        static_cast<long long>(steps.size()));
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].character != expected[i]) {
            return Describe("character " + std::to_string(i) + " against the reference decoder",
                            static_cast<long long>(expected[i]),
                            static_cast<long long>(steps[i].character));
        }
    }
    return "";
}

// What makes the library choose encoding for a file.
std::string EncodingPrefix(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return "\xEF\xBB\xBF";
    case Encoding::Utf16LE:
        return "\xFF\xFE";
    case Encoding::Utf16BE:
        return "\xFE\xFF";
    case Encoding::Windows1252:
        break;
    }
    return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>";
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The two ways the library reads decoded text: a line at a time, or as
// much as fits.
enum class Reader { Lines, Text };

const char* NameOf(Reader reader) {
    return reader == Reader::Lines ? "ReadLine" : "ReadText";
}

// What one read may store: at most limit characters (ReadLine: limit - 1
// and a terminator, and a newline only at the end), never half a pair at
// an edge.
std::string CheckRead(Reader reader, const std::vector<char16_t>& read, std::size_t length,
                      std::size_t limit) {
    const std::size_t most = reader == Reader::Lines ? limit - 1 : limit;
    if (length > most || (reader == Reader::Lines && read[length] != 0)) {
        return Describe("characters stored, or the terminator, with limit " + std::to_string(limit),
                        static_cast<long long>(most), static_cast<long long>(length));
    }
    for (std::size_t i = 0; reader == Reader::Lines && i + 1 < length; ++i) {
        if (read[i] == u'\n') {
            return Describe("newline inside a line at character", -1, static_cast<long long>(i));
        }
    }
    if (length > 0 && (IsHigh(read[length - 1]) || IsLow(read[0]))) {
        return "a read splits a pair";
    }
    return "";
}

std::size_t ReadOnce(Reader reader, quendix::WideInputStream& stream, std::vector<char16_t>& read,
                     std::size_t limit) {
    return reader == Reader::Lines ? quendix::ReadLine(stream, read.data(), limit)
                                   : quendix::ReadText(stream, read.data(), limit);
}

// Buffers of exactly the size the library is told, so that a step past
// them shows; the large one is made once, as fuzzing runs this often.
std::vector<char16_t>& ReadBuffer(std::size_t limit) {
    static std::vector<char16_t> large(quendix::kFeedTextCapacity);
    static std::vector<char16_t> small;
    if (limit == large.size()) {
        return large;
    }
    small = std::vector<char16_t>(limit);
    return small;
}

std::string ReadAll(Reader reader, const ScratchFile& file, std::size_t byteCount,
                    std::size_t limit, Encoding encoding, std::u16string* text) {
    static Bytes buffer(quendix::kInputBufferBytes);
    std::vector<char16_t>& read = ReadBuffer(limit);
    quendix::WideInputStream stream;
    if (!quendix::OpenInput(stream, file.WidePath().c_str(), buffer.data())) {
        return "the input file did not open";
    }
    quendix::ChooseEncoding(stream);
    std::string failure = stream.encoding == encoding ? "" : "the prefix did not set the encoding";
    // Each read that is not the last stores at least one character, and
    // each character takes at least one byte.
    for (std::size_t reads = 0; failure.empty() && !quendix::AtEndOfInput(stream); ++reads) {
        const std::size_t length = ReadOnce(reader, stream, read, limit);
        failure = CheckRead(reader, read, length, limit);
        if (length == 0 && !quendix::AtEndOfInput(stream)) {
            failure = "an empty read before the end of input";
        } else if (reads > byteCount + 1) {
            failure = "reads do not come to the end of input";
        }
        text->append(read.data(), length);
    }
    if (failure.empty() && ReadOnce(reader, stream, read, limit) != 0) {
        failure = "a read after the end of input stored characters";
    }
    quendix::CloseInput(stream);
    return failure;
}

// ReadLine and ReadText over a file in the encoding, with a small limit and
// with the conversion's own.
std::string CheckReads(Encoding encoding, const Bytes& bytes) {
    const std::string content = EncodingPrefix(encoding) + std::string(bytes.begin(), bytes.end());
    const std::u16string expected = quendix_reference::DecodeFeed(content);
    const ScratchFile file;
    WriteBytes(file.Path(), content);
    const std::size_t smallLimit = 3 + (bytes.empty() ? 0 : bytes[0] % 14);
    for (Reader reader : {Reader::Lines, Reader::Text}) {
        for (std::size_t limit : {smallLimit, quendix::kFeedTextCapacity}) {
            std::u16string text;
            std::string failure = ReadAll(reader, file, content.size(), limit, encoding, &text);
            if (failure.empty() && text != expected) {
                failure = "the text read differs from the reference text";
            }
            if (!failure.empty()) {
                return failure + " (" + NameOf(reader) + ", limit " + std::to_string(limit) + ")";
            }
        }
    }
    return "";
}

} // namespace

std::string CheckDecoder(Encoding encoding, const std::string& input) {
    const Bytes bytes(input.begin(), input.end());
    std::vector<Step> steps;
    std::string failure = DecodeWhole(encoding, bytes, &steps);
    if (failure.empty()) {
        failure = CheckPiecemeal(encoding, bytes, steps);
    }
    if (failure.empty()) {
        failure = CheckAgainstReferenceDecoder(encoding, bytes, steps);
    }
    if (failure.empty()) {
        failure = CheckReads(encoding, bytes);
    }
    return failure;
}

} // namespace quendix_fuzz
