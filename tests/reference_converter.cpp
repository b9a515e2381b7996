#include "tests/reference_converter.h"

#include "quendix.h"

#include <algorithm>

namespace quendix_reference {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kFeedLimit = 127999;
const std::size_t npos = std::u16string::npos;

// The record spelt out again, apart from the library; it must still be the
// layout the public header gives.
constexpr std::size_t kTitleWidth = 100;
constexpr std::size_t kDateWidth = 50;
constexpr std::size_t kSummaryWidth = 400;
constexpr std::size_t kLinkWidth = 100;
static_assert(kTitleWidth == QUENDIX_TITLE_CHARS && kDateWidth == QUENDIX_DATE_CHARS &&
                  kSummaryWidth == QUENDIX_SUMMARY_CHARS && kLinkWidth == QUENDIX_LINK_CHARS,
              "the reference's widths are the header's");
static_assert(QUENDIX_DATE_OFFSET == kTitleWidth &&
                  QUENDIX_SUMMARY_OFFSET == kTitleWidth + kDateWidth &&
                  QUENDIX_LINK_OFFSET == kTitleWidth + kDateWidth + kSummaryWidth &&
                  QUENDIX_RECORD_CHARS == kTitleWidth + kDateWidth + kSummaryWidth + kLinkWidth &&
                  QUENDIX_RECORD_BYTES == 2 * QUENDIX_RECORD_CHARS,
              "the reference writes its fields in the header's order, two bytes a character");

// ----- Choosing the encoding -----

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool StartsWith(const std::string& bytes, const std::string& prefix) {
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

// The text of the declaration that opens the file, between "<?xml" and the
// first ">" within the first kilobyte; empty when there is none.
std::string OpeningDeclaration(const std::string& bytes) {
    const std::string head = bytes.substr(0, 1024);
    std::size_t p = 0;
    while (p < head.size() && IsXmlSpace(head[p])) {
        ++p;
    }
    if (head.compare(p, 5, "<?xml") != 0 || p + 5 >= head.size() || !IsXmlSpace(head[p + 5])) {
        return "";
    }
    const std::size_t end = head.find('>', p + 5);
    return end == std::string::npos ? "" : head.substr(p + 5, end - (p + 5));
}

// The value of the first "encoding" pseudo-attribute that a space precedes.
bool DeclaredLabel(const std::string& declaration, std::string* label) {
    std::size_t name = declaration.find("encoding");
    while (name != std::string::npos && !IsXmlSpace(declaration[name - 1])) {
        name = declaration.find("encoding", name + 8);
    }
    if (name == std::string::npos) {
        return false;
    }
    std::size_t q = name + 8;
    auto skipSpace = [&] {
        while (q < declaration.size() && IsXmlSpace(declaration[q])) {
            ++q;
        }
    };
    skipSpace();
    if (q >= declaration.size() || declaration[q] != '=') {
        return false;
    }
    ++q;
    skipSpace();
    if (q >= declaration.size() || (declaration[q] != '"' && declaration[q] != '\'')) {
        return false;
    }
    const std::size_t closing = declaration.find(declaration[q], q + 1);
    if (closing == std::string::npos) {
        return false;
    }
    *label = declaration.substr(q + 1, closing - q - 1);
    return true;
}

// ----- Decoding -----

// Unicode Standard table 3-7: for each lead byte, the number of bytes that
// follow and the range the first of them must lie in.
struct Utf8Lead {
    int following;
    unsigned char low, high;
};

Utf8Lead LeadOf(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF)
        return {1, 0x80, 0xBF};
    if (b == 0xE0)
        return {2, 0xA0, 0xBF};
    if (b == 0xED)
        return {2, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF)
        return {2, 0x80, 0xBF};
    if (b == 0xF0)
        return {3, 0x90, 0xBF};
    if (b == 0xF4)
        return {3, 0x80, 0x8F};
    if (b >= 0xF1 && b <= 0xF3)
        return {3, 0x80, 0xBF};
    return {-1, 0, 0};
}

std::u32string DecodeUtf8(const std::string& bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        }
        const Utf8Lead form = LeadOf(lead);
        if (form.following < 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        // Take continuation bytes while they fit the form.
        char32_t value = lead & (0x3F >> form.following);
        int taken = 0;
        while (taken < form.following && i + 1 + taken < bytes.size()) {
            const unsigned char b = static_cast<unsigned char>(bytes[i + 1 + taken]);
            const unsigned char low = taken == 0 ? form.low : 0x80;
            const unsigned char high = taken == 0 ? form.high : 0xBF;
            if (b < low || b > high) {
                break;
            }
            value = (value << 6) | (b & 0x3F);
            ++taken;
        }
        out += taken == form.following ? value : kReplacement;
        i += 1 + taken;
    }
    return out;
}

std::u32string DecodeUtf16(const std::string& bytes, bool bigEndian) {
    std::u32string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned char a = static_cast<unsigned char>(bytes[i]);
        const unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
        units += bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
    }
    std::u32string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool nextLow =
            i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (high && nextLow) {
            out += 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out += kReplacement;
        } else {
            out += u;
        }
    }
    // An odd last byte is an error, but one shared with a first half of a
    // pair just before it: both are left over when the input ends.
    const bool lastIsLoneHigh = !units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF;
    if (bytes.size() % 2 == 1 && !lastIsLoneHigh) {
        out += kReplacement;
    }
    return out;
}

// What browsers make of 0x80 to 0x9F; every other byte is its own value.
const char16_t kWindows1252Marks[] = u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021"
                                     u"\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
                                     u"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014"
                                     u"\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";

std::u32string DecodeWindows1252(const std::string& bytes) {
    std::u32string out;
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        out += (b >= 0x80 && b <= 0x9F) ? char32_t(kWindows1252Marks[b - 0x80]) : char32_t(b);
    }
    return out;
}

// ----- The item loop -----

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A naive search: every start position from from on, compared in full.
std::size_t Find(const std::u16string& text, const std::u16string& literal, std::size_t from) {
    for (std::size_t i = from; i + literal.size() <= text.size(); ++i) {
        if (text[i] == literal[0] && text.compare(i, literal.size(), literal) == 0) {
            return i;
        }
    }
    return npos;
}

// A piece cut out of text keeps whole characters only: half a pair at
// either edge becomes a space.
std::u16string Mended(std::u16string piece) {
    if (!piece.empty() && IsHigh(piece.back())) {
        piece.back() = u' ';
    }
    if (!piece.empty() && IsLow(piece.front())) {
        piece.front() = u' ';
    }
    return piece;
}

std::u16string Cut(const std::u16string& text, std::size_t from, std::size_t to) {
    return Mended(text.substr(from, to - from));
}

// Held in storage of the given capacity, terminator included.
std::u16string Stored(const std::u16string& piece, std::size_t capacity) {
    return piece.size() < capacity ? piece : Mended(piece.substr(0, capacity - 1));
}

std::u16string Fitted(const std::u16string& field, std::size_t width) {
    if (field.size() >= width) {
        return Mended(field.substr(0, width));
    }
    return field + std::u16string(width - field.size(), u' ');
}

std::u16string PictureSummary(const std::u16string& raw, std::size_t altAt) {
    const std::size_t start = altAt + 5;
    const std::size_t style = Find(raw, u"style=", start);
    if (style == npos) {
        return u"";
    }
    const long long n = static_cast<long long>(style) - 2 - static_cast<long long>(start);
    if (n > 0) {
        return Cut(raw, start, start + static_cast<std::size_t>(n));
    }
    if (n < 0) {
        return u"";
    }
    const std::size_t linkEnd = Find(raw, u"</a>", 0);
    const std::size_t paragraphEnd = linkEnd == npos ? npos : Find(raw, u"</p>", linkEnd + 4);
    return paragraphEnd == npos ? u"" : Cut(raw, linkEnd + 4, paragraphEnd);
}

std::u16string Summary(const std::u16string& raw) {
    const std::size_t escaped = Find(raw, u"&lt", 0);
    if (escaped != npos) {
        return Cut(raw, 0, escaped);
    }
    const std::size_t alt = Find(raw, u"alt=", 0);
    if (alt != npos) {
        return PictureSummary(raw, alt);
    }
    return Cut(raw, 0, std::min<std::size_t>(raw.size(), 400));
}

struct ItemFields {
    std::u16string title, description, link, date;
};

// Finds an element from from and takes its content, the closing literal
// searched from the content start. Returns the content start, or npos.
std::size_t TakeElement(const std::u16string& text, const std::u16string& name, std::size_t from,
                        std::size_t capacity, std::u16string* content) {
    const std::u16string open = u"<" + name + u">";
    const std::size_t tag = Find(text, open, from);
    if (tag == npos) {
        return npos;
    }
    const std::size_t start = tag + open.size();
    const std::size_t end = Find(text, u"</" + name + u">", start);
    if (end == npos) {
        return npos;
    }
    *content = Stored(text.substr(start, end - start), capacity);
    return start;
}

// Returns false when an element is missing; scan moves to the date's
// content start as soon as "<pubDate>" is found.
bool TakeItem(const std::u16string& text, std::size_t itemAt, std::size_t* scan, ItemFields* f) {
    const std::size_t title = TakeElement(text, u"title", itemAt + 2, 201, &f->title);
    if (title == npos) {
        return false;
    }
    const std::size_t description =
        TakeElement(text, u"description", title + 1, 32000, &f->description);
    if (description == npos) {
        return false;
    }
    const std::size_t link = TakeElement(text, u"link", description + 1, 200, &f->link);
    if (link == npos) {
        return false;
    }
    const std::size_t dateTag = Find(text, u"<pubDate>", link + 1);
    if (dateTag == npos) {
        return false;
    }
    *scan = dateTag + 9;
    return TakeElement(text, u"pubDate", link + 1, 151, &f->date) != npos;
}

} // namespace

Choice ChooseEncoding(const std::string& bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return {ByteEncoding::Utf8, 3};
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        return {ByteEncoding::Utf16LE, 2};
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        return {ByteEncoding::Utf16BE, 2};
    }
    std::string label;
    ByteEncoding declared = ByteEncoding::Utf8;
    if (DeclaredLabel(OpeningDeclaration(bytes), &label) &&
        quendix::FindEncodingByLabel(label.data(), label.size(), &declared) &&
        declared != ByteEncoding::Utf16LE && declared != ByteEncoding::Utf16BE) {
        return {declared, 0};
    }
    return {ByteEncoding::Utf8, 0};
}

std::u32string DecodeStepByStep(ByteEncoding encoding, const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    quendix::DecoderState state;
    std::u32string out;
    for (std::size_t at = 0; at < bytes.size();) {
        quendix::DecodedStep step{};
        const std::size_t used =
            quendix::DecodeStep(encoding, state, data + at, bytes.size() - at, true, &step);
        if (used == 0) {
            break;
        }
        out.append(step.characters, step.count);
        at += used;
    }
    return out;
}

std::u32string DecodeAll(ByteEncoding encoding, const std::string& bytes) {
    switch (encoding) {
    case ByteEncoding::Utf8:
        return DecodeUtf8(bytes);
    case ByteEncoding::Utf16LE:
        return DecodeUtf16(bytes, false);
    case ByteEncoding::Utf16BE:
        return DecodeUtf16(bytes, true);
    case ByteEncoding::Windows1252:
        return DecodeWindows1252(bytes);
    default:
        return DecodeStepByStep(encoding, bytes);
    }
}

std::u16string ToUtf16(const std::u32string& characters) {
    std::u16string out;
    out.reserve(characters.size());
    for (char32_t c : characters) {
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::u32string JoinLineEnds(const std::u32string& characters) {
    std::u32string joined;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const bool crlf =
            characters[i] == U'\r' && i + 1 < characters.size() && characters[i + 1] == U'\n';
        if (!crlf) {
            joined += characters[i];
        }
    }
    return joined;
}

std::u16string DecodeFeed(const std::string& bytes) {
    const Choice choice = ChooseEncoding(bytes);
    return ToUtf16(
        JoinLineEnds(DecodeAll(choice.encoding, bytes.substr(choice.byteOrderMarkLength))));
}

std::u16string FeedTextOf(const std::string& bytes) {
    return Stored(DecodeFeed(bytes), kFeedLimit + 1);
}

Result ConvertText(const std::u16string& text) {
    Result result;
    std::size_t scan = 0;
    for (bool first = true;; first = false) {
        const std::size_t itemAt = Find(text, u"<item>", first ? 0 : scan + 1);
        ItemFields f;
        if (itemAt == npos || !TakeItem(text, itemAt, &scan, &f)) {
            break;
        }
        const std::u16string title = Fitted(f.title, kTitleWidth);
        const std::u16string summary =
            Fitted(Stored(Summary(f.description), kSummaryWidth + 1), kSummaryWidth);
        if (Find(title, u"CDATA", 0) != npos || summary[0] == u' ') {
            continue;
        }
        result.records += title + Fitted(f.date, kDateWidth) + summary + Fitted(f.link, kLinkWidth);
        ++result.count;
    }
    return result;
}

Result ConvertWindowed(const std::u16string& text, std::size_t windowLimit) {
    Result total;
    auto append = [&total](const Result& window) {
        total.count += window.count;
        total.records += window.records;
    };
    std::size_t start = 0;
    for (;;) {
        if (text.size() - start <= windowLimit) {
            append(ConvertText(text.substr(start)));
            return total;
        }
        std::size_t length = windowLimit;
        const char16_t last = text[start + length - 1];
        if (last >= 0xD800 && last <= 0xDBFF) {
            --length;
        }
        const std::u16string window = text.substr(start, length);
        const std::size_t lastItem = window.rfind(u"<item>");
        if (lastItem != npos && lastItem >= 1) {
            append(ConvertText(window.substr(0, lastItem)));
            start += lastItem;
            continue;
        }
        append(ConvertText(window));
        const std::size_t next = text.find(u"<item>", start + 1);
        if (next == npos) {
            return total;
        }
        start = next;
    }
}

Result ConvertBytes(const std::string& bytes, std::size_t windowLimit) {
    return ConvertWindowed(DecodeFeed(bytes), windowLimit);
}

} // namespace quendix_reference
