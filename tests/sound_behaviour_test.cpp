// Where the plain literal rules would lose data, crash or claim too much,
// the library does the sound thing instead. One group per mended fault;
// the full device, the feed text's limit, overlapping calls and repeated
// calls are held in hostile_input_test.cpp.
#include "convert/conversion.h"
#include "convert/feed_storage.h"
#include "convert/feed_window.h"
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quendix_test;

namespace {

const std::string kEmoji = "\xF0\x9F\x9A\xA4";

std::string NumberedItem(int i) {
    const std::string n = std::to_string(i);
    return Item("Title " + n, "Summary " + n, "http://x/" + n, "Date " + n);
}

int ConvertPaths(const std::string& input, const std::string& output) {
    return ConvertFile(Wide(input).c_str(), Wide(output).c_str());
}

} // namespace

TEST(UnopenableFiles, MissingInputLeavesTheOutputUntouched) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("out"), "precious");
    EXPECT_EQ(ConvertPaths(scratch.Path("missing.xml"), scratch.Path("out")), 0);
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
    EXPECT_EQ(ConvertPaths(scratch.Path(""), scratch.Path("out")), 0); // a directory
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
}

TEST(UnopenableFiles, OutputThatCannotBeCreatedGivesZero) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    EXPECT_EQ(ConvertPaths(scratch.Path("in.xml"), scratch.Path("no/such/dir/out")), 0);
    EXPECT_EQ(ConvertFile(nullptr, Wide(scratch.Path("out")).c_str()), 0);
    EXPECT_EQ(ConvertFile(Wide(scratch.Path("in.xml")).c_str(), nullptr), 0);
}

TEST(MissingTitle, EndsTheItemLoop) {
    const std::string noTitle = "<item><description>S</description><link>L</link>"
                                "<pubDate>P</pubDate></item>";
    const Conversion c = Convert(NumberedItem(1) + noTitle + NumberedItem(3));
    EXPECT_EQ(c.result, 2); // the third item's title lends itself to the second
    const Conversion end = Convert(NumberedItem(1) + "<item><title>unclosed");
    EXPECT_EQ(end.result, 1);
    EXPECT_EQ(end.records, Record("Title 1", "Date 1", "Summary 1", "http://x/1"));
}

TEST(FirstItem, AtTheVeryFirstCharacterIsConverted) {
    const Conversion c = Convert(NumberedItem(1) + NumberedItem(2));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.records, Record("Title 1", "Date 1", "Summary 1", "http://x/1") +
                             Record("Title 2", "Date 2", "Summary 2", "http://x/2"));
}

TEST(EmptyElements, EmptyTitleAndDateGiveEmptyFields) {
    const Conversion c = Convert(Feed(Item("", "S1", "L1", "") + NumberedItem(2)));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(c.records,
              Record("", "", "S1", "L1") + Record("Title 2", "Date 2", "Summary 2", "http://x/2"));
}

TEST(EmptyElements, LastItemWithAnEmptyDateIsWritten) {
    const Conversion c = Convert(Feed(NumberedItem(1) + Item("Last", "S", "L", "")));
    EXPECT_EQ(c.result, 2);
    EXPECT_EQ(SplitRecords(c.records).back().title, "Last");
}

TEST(Capacity, DescriptionKeepsItsFirst31999Characters) {
    auto picture = [](std::size_t textLength) {
        return "alt=\"" + std::string(textLength, 'y') + "\" style=\"x\"";
    };
    // "style=" ends at character 31999 of the description, or one past it.
    const Conversion inside = Convert(Feed(Item("T", picture(31986), "L", "D")));
    EXPECT_EQ(inside.result, 1);
    EXPECT_EQ(inside.records, Record("T", "D", std::string(400, 'y'), "L"));
    const Conversion outside = Convert(Feed(Item("T", picture(31987), "L", "D")));
    EXPECT_EQ(outside.result, 0);
}

TEST(Capacity, LongFieldsNeverSpillIntoOthers) {
    const Conversion c = Convert(Feed(Item(std::string(5000, 't'), std::string(40000, 's'),
                                           std::string(5000, 'l'), std::string(5000, 'd'))));
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.records, Record(std::string(100, 't'), std::string(50, 'd'), std::string(400, 's'),
                                std::string(100, 'l')));
}

TEST(Surrogates, PictureTextCutAcrossAPairGetsSpaces) {
    // The text starts one character after "alt=", on the pair's second half,
    // and ends two before "style=", after the first half of another.
    const Conversion c =
        Convert(Feed(Item("T", "alt=" + kEmoji + "mid" + kEmoji + " style=", "L", "D")));
    const Conversion kept = Convert(Feed(Item("T", "alt=\"mid" + kEmoji + "x style=", "L", "D")));
    EXPECT_EQ(c.result, 0); // the leading space drops it
    EXPECT_EQ(kept.result, 1);
    EXPECT_EQ(SplitRecords(kept.records)[0].summary, "mid" + kEmoji);
    const Conversion cut = Convert(Feed(Item("T", "alt=\"mid" + kEmoji + " style=", "L", "D")));
    EXPECT_EQ(SplitRecords(cut.records)[0].summary, "mid");
}

TEST(WriteFailures, CountsOnlyRecordsCompleteInTheFile) {
    ScratchDirectory scratch;
    std::string items;
    for (int i = 0; i < 5; ++i) {
        items += NumberedItem(i);
    }
    WriteFile(scratch.Path("in.xml"), Feed(items));
    // A child process with a file size limit of two and a half records.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{3100, 3100};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(ConvertPaths(scratch.Path("in.xml"), scratch.Path("out")));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    // The half record that got in is cut away again.
    EXPECT_EQ(FromLittleEndian(ReadFile(scratch.Path("out"))),
              Record("Title 0", "Date 0", "Summary 0", "http://x/0") +
                  Record("Title 1", "Date 1", "Summary 1", "http://x/1"));
}

// A feed given as its own output, by any path to it, is left as it is.
TEST(SameFile, AFeedIsNeverItsOwnOutput) {
    ScratchDirectory scratch;
    const std::string feed = Feed(NumberedItem(1));
    const std::string path = scratch.Path("feed.xml");
    WriteFile(path, feed);
    std::filesystem::create_hard_link(path, scratch.Path("hard.xml"));
    std::filesystem::create_symlink(path, scratch.Path("soft.xml"));
    for (const std::string& output :
         {path, scratch.Path("./feed.xml"), scratch.Path("hard.xml"), scratch.Path("soft.xml")}) {
        EXPECT_EQ(ConvertPaths(path, output), 0) << output;
        EXPECT_EQ(ReadFile(path), feed) << output;
    }
    // Another file is still emptied and written.
    WriteFile(scratch.Path("out"), "old");
    EXPECT_EQ(ConvertPaths(path, scratch.Path("out")), 1);
    EXPECT_EQ(ReadFile(scratch.Path("out")).size(), 1300u);
}
