// One input decoder, step by step, a few bytes at a time, and through the
// text reads across the input buffer's end.
#include "convert/feed_storage.h"
#include "encoding/utf8.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "fuzz/utf8_block_check.h"
#include "reading/decoding_input.h"
#include "tests/reference_converter.h"

#include <vector>

namespace quendix_fuzz {

namespace {

using quendix::Encoding;
using Bytes = std::vector<unsigned char>;

struct Step {
    std::size_t used;
    quendix::DecodedStep decoded;
    quendix::DecoderState after;
};

bool IsScalarValue(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

bool SameState(const quendix::DecoderState& a, const quendix::DecoderState& b) {
    return a.iso2022JpSet == b.iso2022JpSet && a.iso2022JpOutput == b.iso2022JpOutput &&
           a.replacementGiven == b.replacementGiven;
}

bool SameStep(const Step& a, std::size_t used, const quendix::DecodedStep& decoded,
              const quendix::DecoderState& after) {
    if (a.used != used || a.decoded.count != decoded.count || !SameState(a.after, after)) {
        return false;
    }
    for (unsigned i = 0; i < decoded.count; ++i) {
        if (a.decoded.characters[i] != decoded.characters[i]) {
            return false;
        }
    }
    return true;
}

// Decodes the bytes whole, as at the end of a file. Every step must use
// between one and kMaxStepBytes of the bytes left (replacement: all of
// them) and yield scalar values.
std::string DecodeWhole(Encoding encoding, const Bytes& bytes, std::vector<Step>* steps) {
    quendix::DecoderState state;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t left = bytes.size() - at;
        Step step{};
        step.used =
            quendix::DecodeStep(encoding, state, bytes.data() + at, left, true, &step.decoded);
        const std::size_t most = encoding == Encoding::Replacement ? left : quendix::kMaxStepBytes;
        if (step.used == 0 || step.used > left || step.used > most || step.decoded.count > 2) {
            return Describe("bytes used at byte " + std::to_string(at), -1,
                            static_cast<long long>(step.used));
        }
        for (unsigned i = 0; i < step.decoded.count; ++i) {
            if (!IsScalarValue(step.decoded.characters[i])) {
                return Describe("not a scalar value at byte " + std::to_string(at), -1,
                                static_cast<long long>(step.decoded.characters[i]));
            }
        }
        step.after = state;
        steps->push_back(step);
        at += step.used;
    }
    return "";
}

// With only the first few bytes at hand and more to come, a step either
// waits (0, state untouched) or is exactly the step it is with all of them;
// with kMaxStepBytes at hand it never waits. Each piece is a buffer of its
// own size, so a read past it shows.
std::string CheckPiecemeal(Encoding encoding, const Bytes& bytes, const std::vector<Step>& steps) {
    if (encoding == Encoding::Replacement) {
        return ""; // its one step takes whatever it is given
    }
    std::size_t at = 0;
    quendix::DecoderState before;
    for (const Step& step : steps) {
        const std::size_t left = bytes.size() - at;
        const std::size_t most = left < quendix::kMaxStepBytes ? left : quendix::kMaxStepBytes;
        for (std::size_t size = 1; size <= most; ++size) {
            const Bytes piece(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                              bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
            quendix::DecoderState state = before;
            quendix::DecodedStep decoded{};
            const std::size_t used =
                quendix::DecodeStep(encoding, state, piece.data(), size, false, &decoded);
            const bool waited =
                used == 0 && size < quendix::kMaxStepBytes && SameState(state, before);
            if (!waited && !SameStep(step, used, decoded, state)) {
                return Describe("piecemeal decoding at byte " + std::to_string(at) + " with " +
                                    std::to_string(size) + " bytes, bytes used",
                                static_cast<long long>(step.used), static_cast<long long>(used));
            }
        }
        before = step.after;
        at += step.used;
    }
    return "";
}

std::string CheckAgainstReferenceDecoder(Encoding encoding, const Bytes& bytes,
                                         const std::vector<Step>& steps) {
    std::u32string got;
    for (const Step& step : steps) {
        got.append(step.decoded.characters, step.decoded.count);
    }
    const std::u32string expected =
        quendix_reference::DecodeAll(encoding, std::string(bytes.begin(), bytes.end()));
    if (expected != got) {
        return Describe("characters against the reference decoder",
                        static_cast<long long>(expected.size()),
                        static_cast<long long>(got.size()));
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
    default:
        return std::string("<?xml version=\"1.0\" encoding=\"") + quendix::EncodingName(encoding) +
               "\"?>";
    }
}

// Padding after the prefix, in the encoding, that puts the bytes under test
// just before the end of the first input buffer, so steps and CR LF fall
// across it.
std::string PaddingToBufferEnd(Encoding encoding, std::size_t prefix, std::size_t shift) {
    const std::size_t wanted = quendix::kInputBufferBytes - prefix - shift;
    if (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) {
        std::string padding;
        for (std::size_t i = 0; i + 1 < wanted; i += 2) {
            padding +=
                encoding == Encoding::Utf16LE ? std::string(" \0", 2) : std::string("\0 ", 2);
        }
        return padding;
    }
    return std::string(wanted, ' ');
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Reads the whole file with reads of at most limit characters each, into a
// buffer of exactly that size so that a step past it shows. Each read but
// the last stores something, never splits a pair, and leaves the end of
// input unmet unless it met it.
std::string ReadAll(const ScratchFile& file, std::size_t byteCount, std::size_t limit,
                    Encoding encoding, std::u16string* text) {
    static Bytes buffer(quendix::kInputBufferBytes);
    static std::vector<char16_t> large(quendix::kFeedTextCapacity);
    std::vector<char16_t> small;
    if (limit != large.size()) {
        small.resize(limit);
    }
    std::vector<char16_t>& read = limit == large.size() ? large : small;
    quendix::DecodingInput stream;
    if (!quendix::OpenInput(stream, file.WidePath().c_str(), buffer.data())) {
        return "the input file did not open";
    }
    quendix::ChooseEncoding(stream);
    std::string failure = stream.encoding == encoding ? "" : "the prefix did not set the encoding";
    for (std::size_t reads = 0; failure.empty() && !quendix::AtEndOfInput(stream); ++reads) {
        const std::size_t length = quendix::ReadText(stream, read.data(), limit);
        if (length > limit) {
            failure = Describe("characters stored with limit " + std::to_string(limit),
                               static_cast<long long>(limit), static_cast<long long>(length));
        } else if (length > 0 && (IsHigh(read[length - 1]) || IsLow(read[0]))) {
            failure = "a read splits a pair";
        } else if (length == 0 && !quendix::AtEndOfInput(stream)) {
            failure = "an empty read before the end of input";
        } else if (length < limit - 1 && !quendix::AtEndOfInput(stream)) {
            failure = "a read stopped short of its room without meeting the end";
        } else if (reads > byteCount + 1) {
            failure = "reads do not come to the end of input";
        }
        text->append(read.data(), length);
    }
    if (failure.empty() && quendix::ReadText(stream, read.data(), limit) != 0) {
        failure = "a read after the end of input stored characters";
    }
    quendix::CloseInput(stream);
    return failure;
}

// ReadText over a file in the encoding, the bytes at its start and again
// across the end of the first input buffer, with a small limit and with
// the conversion's own: always the reference text.
std::string CheckReads(Encoding encoding, const Bytes& bytes) {
    const std::string body(bytes.begin(), bytes.end());
    const std::string prefix = EncodingPrefix(encoding);
    const std::size_t smallLimit = 2 + (bytes.empty() ? 0 : bytes[0] % 14);
    const std::size_t shift = 1 + (bytes.size() < 2 ? 0 : bytes[1] % 8);
    for (bool acrossBufferEnd : {false, true}) {
        const std::string content =
            prefix + (acrossBufferEnd ? PaddingToBufferEnd(encoding, prefix.size(), shift) : "") +
            body;
        const std::u16string expected = quendix_reference::DecodeFeed(content);
        const ScratchFile file;
        WriteBytes(file.Path(), content);
        for (std::size_t limit : {smallLimit, quendix::kFeedTextCapacity}) {
            std::u16string text;
            std::string failure = ReadAll(file, content.size(), limit, encoding, &text);
            if (failure.empty() && text != expected) {
                failure = "the text read differs from the reference text";
            }
            if (!failure.empty()) {
                return failure + " (limit " + std::to_string(limit) +
                       (acrossBufferEnd ? ", across the buffer's end)" : ")");
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
    if (failure.empty() && encoding == Encoding::Utf8) {
        failure = CheckUtf8Blocks(bytes);
    }
    if (failure.empty()) {
        failure = CheckReads(encoding, bytes);
    }
    return failure.empty() ? "" : std::string(quendix::EncodingName(encoding)) + ": " + failure;
}

std::string CheckAnyDecoder(const std::string& bytes) {
    if (bytes.empty()) {
        return "";
    }
    const auto encoding =
        static_cast<Encoding>(static_cast<unsigned char>(bytes[0]) % quendix::kEncodingCount);
    return CheckDecoder(encoding, bytes.substr(1));
}

} // namespace quendix_fuzz
