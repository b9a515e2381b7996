// The tag index against the literal search it stands in for, on texts
// built from tags, their near-misses and runs of '<'.
#include "convert/literal.h"
#include "convert/tag_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using quendix::FindLiteral;
using quendix::kNotFound;
using quendix::Literal;
using quendix::MakeLiteral;
using quendix::TagIndex;

namespace {

const Literal kTags[] = {MakeLiteral(u"<item>"),     MakeLiteral(u"<title>"),
                         MakeLiteral(u"</title>"),   MakeLiteral(u"<pubDate>"),
                         MakeLiteral(u"</pubDate>"), MakeLiteral(u"<Upper>"),
                         MakeLiteral(u"<tick>"),     MakeLiteral(u"<transcriptionLines>")};
constexpr std::size_t kTagCount = sizeof kTags / sizeof kTags[0];

// Tags, their near-misses and runs of '<', so the index meets every case:
// a '<' alone, several in one step, tags sharing their first letters, and a
// tag longer than the head the index compares.
std::u16string TagText(std::mt19937& random, std::size_t length) {
    static const std::u16string pieces[] = {u"<item>",
                                            u"<title>",
                                            u"</title>",
                                            u"<pubDate>",
                                            u"</pubDate>",
                                            u"<Upper>",
                                            u"<tick>",
                                            u"<ite",
                                            u"</titl",
                                            u"<<<<",
                                            u"<",
                                            u"</",
                                            u"<\u0100",
                                            u"x",
                                            u"text ",
                                            u"<p>",
                                            u"</pub",
                                            u"<t",
                                            u"<transcriptionLines>",
                                            u"<transcriptionLine"};
    std::u16string text;
    while (text.size() < length) {
        text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    }
    text.resize(length);
    return text;
}

} // namespace

TEST(TagIndex, AnswersAsFindLiteralDoes) {
    std::mt19937 random(41);
    for (const std::size_t capacity :
         {std::size_t{0}, std::size_t{3}, std::size_t{40}, std::size_t{100000}}) {
        for (int round = 0; round < 20; ++round) {
            const std::u16string text = TagText(random, random() % 900);
            std::vector<quendix::TagPlace> places(capacity + 1);
            TagIndex index(text.data(), text.size(), kTags, kTagCount, places.data(), capacity);
            // Mostly forward, as the conversion searches, sometimes back.
            std::size_t from = 0;
            for (int query = 0; query < 200; ++query) {
                from = random() % 5 == 0 ? random() % (text.size() + 2) : from + random() % 20;
                const std::size_t tag = random() % kTagCount;
                ASSERT_EQ(index.Find(tag, from),
                          FindLiteral(text.data(), text.size(), from, kTags[tag]))
                    << "capacity " << capacity << ", tag " << tag << ", from " << from;
            }
        }
    }
}

TEST(TagIndex, OnTextOfNothingButOpeningBrackets) {
    const std::u16string text(5000, u'<');
    quendix::TagPlace places[8];
    TagIndex index(text.data(), text.size(), kTags, kTagCount, places, 8);
    for (std::size_t tag = 0; tag < kTagCount; ++tag) {
        EXPECT_EQ(index.Find(tag, 0), kNotFound);
    }
}

TEST(TagIndex, ATagNumberOutsideTheTagsFindsNothing) {
    const std::u16string text = u"<item><title>x</title>";
    quendix::TagPlace places[64];
    TagIndex index(text.data(), text.size(), kTags, kTagCount, places, 64);
    for (const std::size_t tag :
         {kTagCount, TagIndex::kMaxTags, TagIndex::kMaxTags + 1, SIZE_MAX}) {
        EXPECT_EQ(index.Find(tag, 0), kNotFound) << "tag " << tag;
    }
    EXPECT_EQ(index.Find(0, 0), 0); // and the index still answers
}
