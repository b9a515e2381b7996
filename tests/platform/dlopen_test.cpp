// The library as a host meets it: loaded by path at run time and reached only
// through its dynamic symbol table. This program does not link libquendix.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kLibraryPath = QUENDIX_LIBRARY_PATH;
const char* const kSampleFeed = QUENDIX_SOURCE_DIR "/examples/sample.xml";
const char* const kSampleRecords = QUENDIX_SOURCE_DIR "/tests/golden/sample.rec";

// The exports, as the ABI sees them: a constructor and a member function
// take the object's address as their first argument.
using ConvertFileFunction = int (*)(const wchar_t*, const wchar_t*);
using ConstructorFunction = void (*)(void*);
using AssignFunction = void* (*)(void*, const void*);
using SampleFunction = int (*)();

const char* const kExportNames[] = {"ConvertFile", "_ZN7CVARNELC1Ev", "_ZN7CVARNELaSERKS_",
                                    "_Z8fnVARNELv", "nVARNEL"};

class LoadedLibrary {
  public:
    LoadedLibrary() : handle_(dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary() { Unload(); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    void* Find(const char* name) const { return dlsym(handle_, name); }
    template <typename Function> Function FindFunction(const char* name) const {
        return reinterpret_cast<Function>(Find(name));
    }
    int* SampleInteger() const { return static_cast<int*>(Find("nVARNEL")); }
    bool Unload() {
        const bool closed = handle_ == nullptr || dlclose(handle_) == 0;
        handle_ = nullptr;
        return closed;
    }

  private:
    void* handle_;
};

bool StillMapped() {
    void* handle = dlopen(kLibraryPath, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) {
        dlclose(handle);
    }
    return handle != nullptr;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// ASCII only: the paths here are the build's own and fixed names.
std::wstring Widen(const std::string& path) {
    return std::wstring(path.begin(), path.end());
}

class ScratchFile {
  public:
    explicit ScratchFile(const std::string& name) {
        char pattern[] = "/tmp/quendix-dlopen-XXXXXX";
        directory_ = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        path_ = directory_ + "/" + name;
    }
    ~ScratchFile() {
        std::remove(path_.c_str());
        std::remove(directory_.c_str());
    }
    const std::string& Path() const { return path_; }

  private:
    std::string directory_;
    std::string path_;
};

TEST(LoadedByPath, ResolvesEveryExportByName) {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    for (const char* name : kExportNames) {
        EXPECT_NE(library.Find(name), nullptr) << name;
    }
}

TEST(LoadedByPath, SampleExportsBehave) {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    const auto fortyTwo = library.FindFunction<SampleFunction>("_Z8fnVARNELv");
    const int* sampleInteger = library.SampleInteger();
    ASSERT_NE(fortyTwo, nullptr);
    ASSERT_NE(sampleInteger, nullptr);
    EXPECT_EQ(*sampleInteger, 0);
    for (int call = 0; call < 1000; ++call) {
        ASSERT_EQ(fortyTwo(), 42) << "call " << call;
    }
    EXPECT_EQ(*sampleInteger, 0);
}

TEST(LoadedByPath, ConstructsAndAssignsTheSampleClass) {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    const auto construct = library.FindFunction<ConstructorFunction>("_ZN7CVARNELC1Ev");
    const auto assign = library.FindFunction<AssignFunction>("_ZN7CVARNELaSERKS_");
    ASSERT_NE(construct, nullptr);
    ASSERT_NE(assign, nullptr);
    // The class has no members: construction and assignment leave the
    // object's byte (and its neighbours) as they were.
    unsigned char objects[4] = {0xA5, 0x5A, 0xC3, 0x3C};
    construct(&objects[1]);
    construct(&objects[2]);
    EXPECT_EQ(assign(&objects[1], &objects[2]), &objects[1]);
    EXPECT_EQ(objects[0], 0xA5);
    EXPECT_EQ(objects[1], 0x5A);
    EXPECT_EQ(objects[2], 0xC3);
    EXPECT_EQ(objects[3], 0x3C);
}

TEST(LoadedByPath, ConvertsTheSampleFeedToTheGoldenRecords) {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    const auto convert = library.FindFunction<ConvertFileFunction>("ConvertFile");
    ASSERT_NE(convert, nullptr);
    ScratchFile output("sample.rec");
    EXPECT_EQ(convert(Widen(kSampleFeed).c_str(), Widen(output.Path()).c_str()), 5);
    EXPECT_EQ(ReadBytes(output.Path()), ReadBytes(kSampleRecords));
}

TEST(LoadedByPath, UnloadsCompletelyAndReloadsWithFreshStorage) {
    for (int round = 0; round < 50; ++round) {
        LoadedLibrary library;
        ASSERT_TRUE(library.Loaded()) << dlerror();
        int* sampleInteger = library.SampleInteger();
        ASSERT_NE(sampleInteger, nullptr);
        ASSERT_EQ(*sampleInteger, 0) << "round " << round;
        ASSERT_EQ(library.FindFunction<SampleFunction>("_Z8fnVARNELv")(), 42);
        // A value left by this load must not survive into the next one.
        *sampleInteger = round + 1;
        ASSERT_TRUE(library.Unload()) << dlerror();
        // Nothing (no exit handler, no unique symbol) pins the library.
        ASSERT_FALSE(StillMapped()) << "round " << round;
    }
}

TEST(LoadedByPath, ThreadsStartAndJoinWhileLoaded) {
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    const auto fortyTwo = library.FindFunction<SampleFunction>("_Z8fnVARNELv");
    const auto convert = library.FindFunction<ConvertFileFunction>("ConvertFile");
    ASSERT_NE(fortyTwo, nullptr);
    ASSERT_NE(convert, nullptr);
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int call = 0; call < 1000; ++call) {
                wrongAnswers += fortyTwo() == 42 ? 0 : 1;
            }
        });
    }
    ScratchFile output("threaded.rec");
    int converted = -1;
    threads.emplace_back(
        [&] { converted = convert(Widen(kSampleFeed).c_str(), Widen(output.Path()).c_str()); });
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_EQ(converted, 5);
    EXPECT_EQ(ReadBytes(output.Path()), ReadBytes(kSampleRecords));
}

} // namespace
