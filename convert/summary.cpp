#include "convert/summary.h"

#include "convert/markup.h"

#include <cstddef>

namespace quendix {

namespace {

constexpr Literal kStyle = MakeLiteral(u"style=");
constexpr Literal kLinkEnd = MakeLiteral(u"</a>");
constexpr Literal kParagraphEnd = MakeLiteral(u"</p>");

// "alt=" and the opening quote come before the alternative text.
constexpr std::size_t kAltTextOffset = 5;
// The closing quote and one space stand between the text and "style=".
constexpr std::ptrdiff_t kQuoteAndSpace = 2;
constexpr std::size_t kPlainTextLength = 400;

TextView Range(const char16_t* text, std::size_t from, std::size_t to) {
    return TextView{text + from, to - from};
}

// An empty alternative text: take what follows the link, up to the end of
// the paragraph.
TextView TextAfterLink(const char16_t* text, std::size_t length) {
    const std::ptrdiff_t linkEnd = FindLiteral(text, length, 0, kLinkEnd);
    if (linkEnd == kNotFound) {
        return TextView{text, 0};
    }
    const std::size_t from = static_cast<std::size_t>(linkEnd) + kLinkEnd.length;
    const std::ptrdiff_t paragraphEnd = FindLiteral(text, length, from, kParagraphEnd);
    if (paragraphEnd == kNotFound) {
        return TextView{text, 0};
    }
    return Range(text, from, static_cast<std::size_t>(paragraphEnd));
}

TextView PictureText(const char16_t* text, std::size_t length, std::size_t altAt) {
    const std::size_t start = altAt + kAltTextOffset;
    const std::ptrdiff_t style = FindLiteral(text, length, start, kStyle);
    if (style == kNotFound) {
        return TextView{text, 0}; // the text's end cannot be placed: nothing is taken
    }
    const std::ptrdiff_t count = style - kQuoteAndSpace - static_cast<std::ptrdiff_t>(start);
    if (count > 0) {
        return Range(text, start, start + static_cast<std::size_t>(count));
    }
    return count == 0 ? TextAfterLink(text, length) : TextView{text, 0};
}

} // namespace

TextView SummariseDescription(TextView description) {
    const char16_t* text = description.text;
    const std::size_t length = description.length;
    // Both markers in one pass; escaped markup wins wherever it stands.
    const std::ptrdiff_t marker = FindEither(text, length, 0, kEscapedMarkup, kAlternativeText);
    if (marker == kNotFound) {
        return Range(text, 0, length < kPlainTextLength ? length : kPlainTextLength);
    }
    const std::size_t at = static_cast<std::size_t>(marker);
    const std::ptrdiff_t escaped = text[at] == kEscapedMarkup.text[0]
                                       ? marker
                                       : FindLiteral(text, length, at + 1, kEscapedMarkup);
    if (escaped != kNotFound) {
        return Range(text, 0, static_cast<std::size_t>(escaped));
    }
    return PictureText(text, length, at);
}

} // namespace quendix
