// Times ConvertFile on each benchmark feed, side by side with the I/O floor
// (read the input, write as many bytes as the conversion writes), with a
// plain port on the C runtime's wide streams, and, where the C library has
// it, with iconv(3) only decoding the feed's bytes in memory to UTF-16LE.
//
//   quendix_bench --feeds=DIR [Google Benchmark flags]
//
// DIR holds the feeds that scripts/make-bench-feeds.py writes. Output files
// go to $TMPDIR, else /dev/shm, else /tmp.
#include "bench/bench_support.h"
#include "bench/io_floor.h"
#include "bench/plain_port.h"
#include "quendix.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define QUENDIX_BENCH_ICONV 1
#endif

namespace {

using bench_support::FeedFile;

void SetThroughput(benchmark::State& state, const FeedFile& feed, int records) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(feed.inputBytes));
    state.counters["records"] = records;
}

void ConvertFileBenchmark(benchmark::State& state, const FeedFile* feed, std::string output) {
    const std::wstring input = bench_support::Wide(feed->path);
    const std::wstring wideOutput = bench_support::Wide(output);
    int records = 0;
    for (auto _ : state) {
        records = ConvertFile(input.c_str(), wideOutput.c_str());
        benchmark::DoNotOptimize(records);
    }
    SetThroughput(state, *feed, records);
}

void IoFloorBenchmark(benchmark::State& state, const FeedFile* feed, std::string output) {
    std::vector<unsigned char> buffer(feed->inputBytes + 1);
    const std::vector<unsigned char> content(feed->outputBytes, ' ');
    for (auto _ : state) {
        const std::size_t read =
            io_floor::ReadThenWrite(feed->path.c_str(), output.c_str(), buffer.data(),
                                    buffer.size(), content.data(), content.size());
        benchmark::DoNotOptimize(read);
    }
    SetThroughput(state, *feed, feed->records);
}

void PlainPortBenchmark(benchmark::State& state, const FeedFile* feed, std::string output) {
    int records = 0;
    for (auto _ : state) {
        records = plain_port::Convert(feed->path.c_str(), output.c_str());
        benchmark::DoNotOptimize(records);
    }
    SetThroughput(state, *feed, records);
}

#if defined(QUENDIX_BENCH_ICONV)
// The encoding the feed declares, as iconv(3) names it; UTF-8 without one.
std::string DeclaredEncoding(const std::string& bytes) {
    const std::string head = bytes.substr(0, 200);
    const std::string key = "encoding=\"";
    const std::size_t at = head.find(key);
    if (at == std::string::npos) {
        return "UTF-8";
    }
    const std::size_t from = at + key.size();
    return head.substr(from, head.find('"', from) - from);
}

// Decoding the whole feed, already in memory, with a converter opened once.
// iconv(3) stops at the first ill-formed byte, where the conversion goes on
// with a replacement character: such feeds are skipped.
void IconvBenchmark(benchmark::State& state, const FeedFile* feed, std::string) {
    std::ifstream file(feed->path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const iconv_t decoder = iconv_open("UTF-16LE", DeclaredEncoding(bytes).c_str());
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv_open does not know the encoding");
        return;
    }
    std::vector<char> out(4 * bytes.size() + 16);
    std::size_t left = 0;
    for (auto _ : state) {
        iconv(decoder, nullptr, nullptr, nullptr, nullptr);
        char* in = &bytes[0];
        char* to = out.data();
        std::size_t outLeft = out.size();
        left = bytes.size();
        benchmark::DoNotOptimize(iconv(decoder, &in, &left, &to, &outLeft));
        if (left != 0) {
            break;
        }
    }
    iconv_close(decoder);
    if (left != 0) {
        state.SkipWithError("iconv(3) stops at an ill-formed byte");
        return;
    }
    SetThroughput(state, *feed, feed->records);
}
#endif

void Register(const FeedFile& feed, const std::string& output) {
    struct Variant {
        const char* name;
        void (*run)(benchmark::State&, const FeedFile*, std::string);
    };
    const Variant variants[] = {
        {"ConvertFile", ConvertFileBenchmark},
        {"IoFloor", IoFloorBenchmark},
        {"PlainPort", PlainPortBenchmark},
#if defined(QUENDIX_BENCH_ICONV)
        {"Iconv", IconvBenchmark},
#endif
    };
    for (const Variant& variant : variants) {
        const std::string name = feed.name + "/" + variant.name;
        benchmark::RegisterBenchmark(name.c_str(), variant.run, &feed, output)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string feedDirectory =
        bench_support::TakeOption(argc, argv, "--feeds=", "bench-feeds");
    if (!plain_port::UseUtf8Locale()) {
        std::fprintf(stderr, "quendix_bench: no UTF-8 locale for the plain port\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const std::string output = bench_support::ScratchPath("quendix-bench");
    std::vector<FeedFile> feeds;
    if (!bench_support::LoadFeeds(feedDirectory, output, feeds)) {
        return 1;
    }
    for (const FeedFile& feed : feeds) {
        Register(feed, output);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(output.c_str());
    return 0;
}
