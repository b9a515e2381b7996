// Runs every seed of the fuzz corpus and every saved regression input
// through the same checks the fuzz targets run, without libFuzzer, so each
// finding stays fixed in the ordinary test run.
#include "fuzz/checks.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

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
