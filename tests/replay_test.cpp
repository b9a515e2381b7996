// Runs every seed of the fuzz corpus, every saved regression input and
// random bytes through the same checks the fuzz targets run, without
// libFuzzer, so each finding stays fixed in the ordinary test run.
#include "fuzz/checks.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

const fs::path kSource = QUENDIX_SOURCE_DIR;

// Replays each file under root/<target>/ through that target's check;
// returns how many files it ran.
int ReplayEach(const fs::path& root) {
    int replayed = 0;
    for (const std::string& target : quendix_fuzz::TargetNames()) {
        const fs::path folder = root / target;
        if (!fs::is_directory(folder)) {
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file()) {
                continue;
            }
            const std::string bytes = quendix_test::ReadFile(entry.path().string());
            EXPECT_EQ(quendix_fuzz::RunCheck(target, bytes), "") << entry.path();
            ++replayed;
        }
    }
    return replayed;
}

} // namespace

TEST(Replay, EverySeedOfTheFuzzCorpusHoldsTheInvariants) {
    EXPECT_GT(ReplayEach(kSource / "fuzz" / "corpus"), 0);
}

TEST(Replay, EverySavedRegressionInputHoldsTheInvariants) {
    EXPECT_GT(ReplayEach(kSource / "tests" / "regressions"), 0);
}

TEST(Replay, EveryCorpusFolderNamesATarget) {
    // A misspelt folder would be skipped silently by the replay above.
    for (const fs::path& root : {kSource / "fuzz" / "corpus", kSource / "tests" / "regressions"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(root)) {
            const std::string name = entry.path().filename().string();
            const auto& targets = quendix_fuzz::TargetNames();
            EXPECT_NE(std::find(targets.begin(), targets.end(), name), targets.end())
                << entry.path();
        }
    }
}

TEST(Replay, RandomBytesHoldEveryInvariant) {
    // Noise, and noise with tag literals spliced in so that the item loop
    // gets past its first search.
    std::mt19937 noise(4);
    const std::string tags[] = {"<item>", "<title>", "</title>",  "<description>", "</description>",
                                "<link>", "</link>", "<pubDate>", "</pubDate>",    "\xFF\xFE"};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int length = std::uniform_int_distribution<int>(0, 600)(noise);
        for (int i = 0; i < length; ++i) {
            bytes += round % 2 == 1 && noise() % 8 == 0
                         ? tags[noise() % 10]
                         : std::string(1, static_cast<char>(noise()));
        }
        ASSERT_EQ(quendix_fuzz::CheckConversion(bytes), "") << "round " << round;
    }
}
