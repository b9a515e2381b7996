// The literal search against a plain one, over texts built to hit every
// place the vector search could go wrong: block edges, the end of the text,
// characters that narrow to the same byte as a literal's, candidates that
// fail late. The same tests run against the scalar build.
#include "convert/literal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using quendix::FindLiteral;
using quendix::kNotFound;
using quendix::Literal;
using quendix::LiteralSearch;
using quendix::MakeLiteral;

namespace {

std::ptrdiff_t PlainFind(const std::u16string& text, std::size_t from, const Literal& literal) {
    const std::u16string wanted(literal.text, literal.length);
    if (from > text.size()) {
        return kNotFound;
    }
    const std::size_t at = text.find(wanted, from);
    return at == std::u16string::npos ? kNotFound : static_cast<std::ptrdiff_t>(at);
}

const Literal kLiterals[] = {
    MakeLiteral(u"<item>"),
    MakeLiteral(u"</description>"),
    MakeLiteral(u"<pubDate>"),
    MakeLiteral(u"&lt"),
    MakeLiteral(u"alt="),
    MakeLiteral(u"style="),
    MakeLiteral(u"CDATA"),
    MakeLiteral(u"<"),
    MakeLiteral(u"\u00FF\u0100x"),
    MakeLiteral(u"\u0100<"),
    MakeLiteral(u"\u8000\u0000"),
    MakeLiteral(u"<<<<<<<<<<<<<<<<"),
    MakeLiteral(u"aaaaaaaaaaaaaaaaa"),
};

// Text drawn mostly from the literals' own characters, with characters
// that narrow to 0x00 or 0xFF as the literals' do, and whole literals and
// their near-misses dropped in.
std::u16string NearMissText(std::mt19937& random, std::size_t length) {
    static const std::u16string alphabet = u"<>/itemdscrpnulDaAT&=y\u00FF\u0100\u0120\u8000\u0000 ";
    std::u16string text;
    while (text.size() < length) {
        const unsigned pick = random() % 8;
        if (pick == 0) {
            const Literal& literal = kLiterals[random() % (sizeof kLiterals / sizeof *kLiterals)];
            std::u16string piece(literal.text, literal.length);
            if (random() % 2 == 0) {
                piece[random() % piece.size()] = u'x';
            }
            text += piece;
        } else {
            text += alphabet[random() % alphabet.size()];
        }
    }
    text.resize(length);
    return text;
}

} // namespace

TEST(TextSearch, FindsWhatAPlainSearchFindsFromEveryStart) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length < 80; ++length) {
        for (int round = 0; round < 6; ++round) {
            const std::u16string text = NearMissText(random, length);
            for (const Literal& literal : kLiterals) {
                for (std::size_t from = 0; from <= length + 1; ++from) {
                    ASSERT_EQ(FindLiteral(text.data(), text.size(), from, literal),
                              PlainFind(text, from, literal))
                        << "literal length " << literal.length << ", text length " << length
                        << ", from " << from;
                }
            }
        }
    }
}

TEST(TextSearch, LongTextsWithTheMatchAtEveryDistance) {
    std::mt19937 random(11);
    const Literal literal = MakeLiteral(u"</description>");
    for (std::size_t at = 0; at < 300; ++at) {
        std::u16string text = NearMissText(random, 400);
        for (std::size_t i = 0; i + literal.length <= text.size(); ++i) {
            if (text.compare(i, literal.length, literal.text) == 0) {
                text[i] = u'x'; // only the planted match counts
            }
        }
        text.replace(at, literal.length, literal.text);
        EXPECT_EQ(FindLiteral(text.data(), text.size(), 0, literal), PlainFind(text, 0, literal));
    }
}

TEST(TextSearch, FindEitherFindsTheEarlierOfTwoPlainSearches) {
    std::mt19937 random(13);
    const std::size_t count = sizeof kLiterals / sizeof *kLiterals;
    for (std::size_t length = 0; length < 80; ++length) {
        const std::u16string text = NearMissText(random, length);
        for (int pair = 0; pair < 12; ++pair) {
            const Literal& first = kLiterals[random() % count];
            const Literal& second = kLiterals[random() % count];
            for (std::size_t from = 0; from <= length + 1; ++from) {
                const std::ptrdiff_t a = PlainFind(text, from, first);
                const std::ptrdiff_t b = PlainFind(text, from, second);
                const std::ptrdiff_t earlier = a == kNotFound   ? b
                                               : b == kNotFound ? a
                                                                : std::min(a, b);
                ASSERT_EQ(quendix::FindEither(text.data(), text.size(), from, first, second),
                          earlier)
                    << "text length " << length << ", from " << from << ", literals "
                    << first.length << " and " << second.length;
            }
        }
    }
}

TEST(TextSearch, NothingOutsideTheGivenLengthIsMatched) {
    const std::u16string text = u"xx<item>";
    const Literal literal = MakeLiteral(u"<item>");
    EXPECT_EQ(FindLiteral(text.data(), text.size(), 0, literal), 2);
    EXPECT_EQ(FindLiteral(text.data(), text.size() - 1, 0, literal), kNotFound);
    EXPECT_EQ(FindLiteral(text.data(), text.size(), 3, literal), kNotFound);
}

TEST(TextSearch, RememberedAnswersMatchFreshSearches) {
    std::mt19937 random(5);
    const std::u16string text = NearMissText(random, 3000);
    for (const Literal& literal : kLiterals) {
        LiteralSearch search(literal);
        for (std::size_t from = 0; from < text.size(); from += 1 + random() % 9) {
            ASSERT_EQ(search.Find(text.data(), text.size(), from),
                      FindLiteral(text.data(), text.size(), from, literal));
        }
    }
}
