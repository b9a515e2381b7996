// Realistic feeds in legacy encodings, each declared in its XML
// declaration: their records must be those of the same feed in UTF-8, and
// the committed golden records (scripts/make-legacy-feeds.py writes the
// feeds from their UTF-8 originals with Python's codecs).
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace quendix_test;

TEST(LegacyFeeds, EachGivesTheRecordsOfItsUtf8Original) {
    const std::string source = QUENDIX_SOURCE_DIR;
    for (const char* name : {"windows-1251", "koi8-r", "gbk", "gb18030", "big5", "shift_jis",
                             "euc-jp", "iso-2022-jp", "euc-kr"}) {
        const std::string feed = std::string("legacy-") + name;
        const std::string legacy = ReadFile(source + "/tests/golden/" + feed + ".xml");
        const std::string original = ReadFile(source + "/tests/feeds/utf8/" + feed + ".xml");
        const std::string golden = ReadFile(source + "/tests/golden/" + feed + ".rec");
        ASSERT_FALSE(legacy.empty() || original.empty() || golden.empty()) << feed;
        ASSERT_NE(legacy, original) << feed; // the feed is not ASCII alone
        const Conversion fromLegacy = Convert(legacy);
        const Conversion fromOriginal = Convert(original);
        EXPECT_EQ(fromLegacy.result, 3) << feed;
        EXPECT_EQ(fromLegacy.records, fromOriginal.records) << feed;
        EXPECT_EQ(fromLegacy.records, FromLittleEndian(golden)) << feed;
    }
}
