#include "fuzz/utf8_block_check.h"

#include "fuzz/check_support.h"
#include "encoding/utf8.h"
#include "simd/utf8_block_avx2.h"

namespace quendix_fuzz {

namespace {

// A vector form of the block step and the bytes it takes a step.
struct Utf8BlockForm {
    quendix::Utf8Block (*step)(const unsigned char*, char16_t*);
    unsigned width;
};

std::vector<Utf8BlockForm> Utf8BlockForms() {
    std::vector<Utf8BlockForm> forms;
#if defined(QUENDIX_SSE2_LOOPS)
    forms.push_back({quendix::Sse2Utf8Block, quendix::kUtf8BlockBytes});
#endif
#if defined(QUENDIX_AVX2_LOOPS)
    if (quendix::UseAvx2Loops()) {
        forms.push_back({quendix::Avx2Utf8Block, quendix::kAvx2Utf8BlockBytes});
    }
#endif
    return forms;
}

std::string CheckUtf8Block(const unsigned char* block, const Utf8BlockForm* form, unsigned width) {
    char16_t plain[quendix::kUtf8RunMargin];
    const quendix::Utf8Block expected = quendix::ScalarUtf8Block(block, plain, width);
    std::u16string stepped;
    for (std::size_t used = 0; used < expected.used;) {
        char32_t character = 0;
        used += quendix::DecodeUtf8(block + used, width - used, false, &character);
        stepped += static_cast<char16_t>(character);
    }
    if (stepped != std::u16string(plain, expected.stored)) {
        return "the plain UTF-8 block differs from the decoder";
    }
    if (form == nullptr) {
        return "";
    }
    char16_t out[quendix::kUtf8RunMargin];
    const quendix::Utf8Block got = form->step(block, out);
    if (got.used != expected.used || got.stored != expected.stored || got.more != expected.more ||
        std::u16string(out, got.stored) != stepped) {
        return Describe("a vector UTF-8 block of " + std::to_string(width) + " bytes, bytes used",
                        expected.used, got.used);
    }
    return "";
}

} // namespace

// Each block is padded with CR, which the steps never take.
std::string CheckUtf8Blocks(const std::vector<unsigned char>& bytes) {
    const std::vector<Utf8BlockForm> forms = Utf8BlockForms();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        unsigned char block[quendix::kUtf8RunMargin];
        for (std::size_t i = 0; i < quendix::kUtf8RunMargin; ++i) {
            block[i] = at + i < bytes.size() ? bytes[at + i] : '\r';
        }
        std::string failure = CheckUtf8Block(block, nullptr, quendix::kUtf8BlockBytes);
        for (std::size_t i = 0; i < forms.size() && failure.empty(); ++i) {
            failure = CheckUtf8Block(block, &forms[i], forms[i].width);
        }
        if (!failure.empty()) {
            return failure + " at byte " + std::to_string(at);
        }
    }
    return "";
}

} // namespace quendix_fuzz
