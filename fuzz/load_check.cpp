// Choosing the encoding and loading the feed text, as a conversion does.
#include "convert/conversion.h"
#include "convert/feed_storage.h"
#include "convert/feed_window.h"
#include "fuzz/check_support.h"
#include "fuzz/checks.h"
#include "tests/reference_converter.h"

namespace quendix_fuzz {

namespace {

std::string CheckDetection(const std::string& bytes) {
    const std::vector<unsigned char> raw(bytes.begin(), bytes.end());
    const quendix::DetectedEncoding got = quendix::DetectEncoding(raw.data(), raw.size());
    const quendix_reference::Choice expected = quendix_reference::ChooseEncoding(bytes);
    if (got.encoding != expected.encoding) {
        return Describe("encoding against the reference choice",
                        static_cast<int>(expected.encoding), static_cast<int>(got.encoding));
    }
    if (got.byteOrderMarkLength != expected.byteOrderMarkLength) {
        return Describe("byte-order mark length",
                        static_cast<long long>(expected.byteOrderMarkLength),
                        static_cast<long long>(got.byteOrderMarkLength));
    }
    return "";
}

} // namespace

std::string CheckFeedLoading(const std::string& bytes) {
    // The library looks at the first 64 KiB of a file only, as does the
    // reference: compare the choice on what both see.
    std::string failure = CheckDetection(bytes.substr(0, quendix::kInputBufferBytes));
    if (!failure.empty()) {
        return failure;
    }
    const ScratchFile file;
    WriteBytes(file.Path(), bytes);
    quendix::DecodingInput input;
    if (!quendix::OpenInput(input, file.WidePath().c_str(), quendix::InputBytes)) {
        return "the input file did not open";
    }
    // The first window, read into storage of the check's own.
    static char16_t window[quendix::kWindowLimit + 1];
    quendix::ChooseEncoding(input);
    const std::size_t held = quendix::LoadFeedText(input, window, 0, quendix::kWindowLimit);
    const bool loaded = !input.readFailed;
    quendix::CloseInput(input);
    const std::u16string text(window, held);
    if (!loaded) {
        return "the feed text was not loaded";
    }
    if (FirstBrokenCharacter(text) != std::u16string::npos) {
        return Describe("broken character in the feed text at", -1,
                        static_cast<long long>(FirstBrokenCharacter(text)));
    }
    // A pair that would not fit whole is left for the next window.
    std::u16string expected =
        quendix_reference::DecodeFeed(bytes).substr(0, quendix::kWindowLimit + 1);
    if (expected.size() > quendix::kWindowLimit) {
        const char16_t last = expected[quendix::kWindowLimit - 1];
        expected.resize(last >= 0xD800 && last <= 0xDBFF ? quendix::kWindowLimit - 1
                                                         : quendix::kWindowLimit);
    }
    if (text != expected) {
        return Describe("feed text length against the reference",
                        static_cast<long long>(expected.size()),
                        static_cast<long long>(text.size()));
    }
    return "";
}

} // namespace quendix_fuzz
