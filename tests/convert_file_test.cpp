// ConvertFile as a caller meets it: paths that cannot be opened or are not
// Unicode, outputs that are directories, full devices, size limits and the
// input itself, and calls made at once or one after another. Nothing may
// crash, spill or claim a record it did not write, and the shared storage
// leaves no trace from one call to the next.
#include "quendix.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <iterator>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quendix_test;

namespace {

int ConvertPaths(const std::wstring& input, const std::wstring& output) {
    return ConvertFile(input.c_str(), output.c_str());
}

} // namespace

TEST(Paths, EmptyPathsCannotBeOpened) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    WriteFile(scratch.Path("out"), "precious");
    EXPECT_EQ(ConvertPaths(L"", Wide(scratch.Path("out"))), 0);
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), L""), 0);
}

TEST(Paths, PathsThatAreNotUnicodeCannotBeOpened) {
    // Each value sits next to a real feed named by the bytes a lax encoder
    // would make of it, which must not be opened in its place.
    const struct {
        wchar_t value;
        const char* laxBytes;
    } bad[] = {{wchar_t(0xD800), "\xED\xA0\x80"},
               {wchar_t(0xDFFF), "\xED\xBF\xBF"},
               {wchar_t(0x110000), "\xF4\x90\x80\x80"}};
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    WriteFile(scratch.Path("out"), "precious");
    for (const auto& b : bad) {
        WriteFile(scratch.Path("x") + b.laxBytes, Feed(NumberedItem(2)));
        const std::wstring badName = Wide(scratch.Path("x")) + b.value;
        EXPECT_EQ(ConvertPaths(badName, Wide(scratch.Path("out"))), 0) << int(b.value);
        EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
        EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), badName), 0) << int(b.value);
    }
    // Nothing was created under a mangled name either.
    const std::filesystem::directory_iterator entries(scratch.Path(""));
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 2 + std::size(bad));
}

TEST(Paths, OutputThatIsADirectoryGivesZero) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    const std::string directory = scratch.Path("dir");
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), Wide(directory)), 0);
    EXPECT_TRUE(std::filesystem::is_directory(directory));
}

TEST(Paths, FullDeviceMidConversionClaimsNothing) {
    // Enough records that the output buffer is handed to the device while
    // items are still being converted, not only at the close.
    ScratchDirectory scratch;
    std::string items;
    for (int i = 0; i < 300; ++i) {
        items += NumberedItem(i);
    }
    WriteFile(scratch.Path("in.xml"), Feed(items));
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), L"/dev/full"), 0);
}

TEST(Paths, MissingInputLeavesTheOutputUntouched) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("out"), "precious");
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("missing.xml")), Wide(scratch.Path("out"))), 0);
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("")), Wide(scratch.Path("out"))), 0); // a directory
    EXPECT_EQ(ReadFile(scratch.Path("out")), "precious");
}

TEST(Paths, OutputThatCannotBeCreatedGivesZero) {
    ScratchDirectory scratch;
    WriteFile(scratch.Path("in.xml"), Feed(NumberedItem(1)));
    EXPECT_EQ(ConvertPaths(Wide(scratch.Path("in.xml")), Wide(scratch.Path("no/such/dir/out"))), 0);
    EXPECT_EQ(ConvertFile(nullptr, Wide(scratch.Path("out")).c_str()), 0);
    EXPECT_EQ(ConvertFile(Wide(scratch.Path("in.xml")).c_str(), nullptr), 0);
}

TEST(Files, CountsOnlyRecordsCompleteInTheFile) {
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
        _exit(ConvertPaths(Wide(scratch.Path("in.xml")), Wide(scratch.Path("out"))));
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
TEST(Files, AFeedIsNeverItsOwnOutput) {
    ScratchDirectory scratch;
    const std::string feed = Feed(NumberedItem(1));
    const std::string path = scratch.Path("feed.xml");
    WriteFile(path, feed);
    std::filesystem::create_hard_link(path, scratch.Path("hard.xml"));
    std::filesystem::create_symlink(path, scratch.Path("soft.xml"));
    for (const std::string& output :
         {path, scratch.Path("./feed.xml"), scratch.Path("hard.xml"), scratch.Path("soft.xml")}) {
        EXPECT_EQ(ConvertPaths(Wide(path), Wide(output)), 0) << output;
        EXPECT_EQ(ReadFile(path), feed) << output;
    }
    // Another file is still emptied and written.
    WriteFile(scratch.Path("out"), "old");
    EXPECT_EQ(ConvertPaths(Wide(path), Wide(scratch.Path("out"))), 1);
    EXPECT_EQ(ReadFile(scratch.Path("out")).size(), 1300u);
}

TEST(Calls, EightDifferentFeedsAtOnce) {
    // Each thread's feed stresses a different part of the shared storage:
    // encodings, ill-formed bytes, capacity, the output buffer.
    std::vector<std::string> feeds = {
        Feed(NumberedItem(1)),
        "\xFE\xFF" + Utf16Bytes(U16(Feed(NumberedItem(2) + NumberedItem(3))), true),
        "\xFF\xFE" + Utf16Bytes(U16(Feed(NumberedItem(4))), false) + "x",
        "<?xml version='1.0' encoding='cp1252'?>" + Feed(Item("\x80\x93", "\x94", "L", "D")),
        Feed(Item("a\xED\xA0\x80z", "s\xC0\xAF", "L", "D")),
        Feed(NumberedItem(5)) + std::string(200000, '<'),
        "",
    };
    std::string many;
    for (int i = 0; i < 400; ++i) {
        many += NumberedItem(i);
    }
    feeds.push_back(Feed(many));
    std::vector<std::u16string> expected;
    for (const std::string& feed : feeds) {
        expected.push_back(Convert(feed).records);
    }
    std::vector<std::vector<std::u16string>> got(feeds.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < feeds.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                got[t].push_back(Convert(feeds[t]).records);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t t = 0; t < feeds.size(); ++t) {
        for (const std::u16string& records : got[t]) {
            EXPECT_EQ(records, expected[t]) << "thread " << t;
        }
    }
}

TEST(Calls, AfterEachFailedOrStrangeCallTheSameOutputAsAFirstCall) {
    const std::string feed = Feed(NumberedItem(1) + Item(std::string(150, 't'), "S", "L", "D"));
    const Conversion first = Convert(feed);
    ASSERT_EQ(first.result, 2);
    ScratchDirectory scratch;
    WriteFile(scratch.Path("big"), Feed(Item(std::string(300, 'x'), std::string(40000, 'y'),
                                             std::string(300, 'z'), std::string(300, 'w'))) +
                                       std::string(200000, '<'));
    WriteFile(scratch.Path("feed"), feed);
    // More than two windows of NULs, and of random bytes.
    WriteFile(scratch.Path("zeros"), std::string(300000, '\0'));
    std::mt19937 random(11);
    std::string noise(300000, ' ');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    WriteFile(scratch.Path("noise"), noise);
    const std::wstring out = Wide(scratch.Path("out"));
    const std::function<void()> calls[] = {
        [&] { ConvertPaths(Wide(scratch.Path("zeros")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("noise")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("feed")), L"/dev/full"); },
        [&] { ConvertPaths(Wide(scratch.Path("missing")), out); },
        [&] { ConvertPaths(Wide(scratch.Path("big")), out); },
        [&] { Convert(std::string("\xFF\xFE\x00\xD8<\x00", 6)); },
    };
    for (std::size_t i = 0; i < std::size(calls); ++i) {
        calls[i]();
        const Conversion again = Convert(feed);
        EXPECT_EQ(again.result, first.result) << "after call " << i;
        EXPECT_EQ(again.records, first.records) << "after call " << i;
    }
}
