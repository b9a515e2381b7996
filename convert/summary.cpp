#include "convert/summary.h"

#include "convert/text_search.h"

#include <cstring>

namespace quendix {

namespace {

constexpr Literal kEscapedMarkup = MakeLiteral(u"&lt");
constexpr Literal kAlternativeText = MakeLiteral(u"alt=");
constexpr Literal kStyle = MakeLiteral(u"style=");
constexpr Literal kLinkEnd = MakeLiteral(u"</a>");
constexpr Literal kParagraphEnd = MakeLiteral(u"</p>");

// "alt=" and the opening quote come before the alternative text.
constexpr std::size_t kAltTextOffset = 5;
// The closing quote and one space stand between the text and "style=".
constexpr std::ptrdiff_t kQuoteAndSpace = 2;
constexpr std::size_t kPlainTextLength = 400;

void StoreRange(FieldText& summary, const char16_t* text, std::size_t from, std::size_t to) {
    StorePiece(summary, text + from, to - from);
}

// An empty alternative text: take what follows the link, up to the end of
// the paragraph.
void SummariseTextAfterLink(const char16_t* text, std::size_t length, FieldText& summary) {
    const std::ptrdiff_t linkEnd = FindLiteral(text, length, 0, kLinkEnd);
    if (linkEnd == kNotFound) {
        return;
    }
    const std::size_t from = static_cast<std::size_t>(linkEnd) + kLinkEnd.length;
    const std::ptrdiff_t paragraphEnd = FindLiteral(text, length, from, kParagraphEnd);
    if (paragraphEnd != kNotFound) {
        StoreRange(summary, text, from, static_cast<std::size_t>(paragraphEnd));
    }
}

void SummarisePicture(const char16_t* text, std::size_t length, std::size_t altAt,
                      FieldText& summary) {
    const std::size_t start = altAt + kAltTextOffset;
    const std::ptrdiff_t style = FindLiteral(text, length, start, kStyle);
    if (style == kNotFound) {
        return; // the text's end cannot be placed: nothing is taken
    }
    const std::ptrdiff_t count = style - kQuoteAndSpace - static_cast<std::ptrdiff_t>(start);
    if (count > 0) {
        StoreRange(summary, text, start, start + static_cast<std::size_t>(count));
    } else if (count == 0) {
        SummariseTextAfterLink(text, length, summary);
    }
}

} // namespace

void StorePiece(FieldText& field, const char16_t* text, std::size_t length) {
    const std::size_t kept = length < field.capacity - 1 ? length : field.capacity - 1;
    std::memcpy(field.text, text, kept * sizeof(char16_t));
    MendCutEdges(field.text, kept);
    field.text[kept] = 0;
    field.length = kept;
}

void SummariseDescription(const FieldText& description, FieldText& summary) {
    const char16_t* text = description.text;
    const std::size_t length = description.length;
    summary.length = 0;
    summary.text[0] = 0;

    const std::ptrdiff_t escaped = FindLiteral(text, length, 0, kEscapedMarkup);
    if (escaped != kNotFound) {
        StoreRange(summary, text, 0, static_cast<std::size_t>(escaped));
        return;
    }
    const std::ptrdiff_t alt = FindLiteral(text, length, 0, kAlternativeText);
    if (alt != kNotFound) {
        SummarisePicture(text, length, static_cast<std::size_t>(alt), summary);
        return;
    }
    StoreRange(summary, text, 0, length < kPlainTextLength ? length : kPlainTextLength);
}

} // namespace quendix
