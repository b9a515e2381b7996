// Times ConvertFile on each benchmark feed, side by side with the I/O floor
// (read the input, write as many bytes as the conversion writes) and with a
// plain port on the C runtime's wide streams.
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
#include <string>
#include <vector>

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

void Register(const FeedFile& feed, const std::string& output) {
    struct Variant {
        const char* name;
        void (*run)(benchmark::State&, const FeedFile*, std::string);
    };
    const Variant variants[] = {{"ConvertFile", ConvertFileBenchmark},
                                {"IoFloor", IoFloorBenchmark},
                                {"PlainPort", PlainPortBenchmark}};
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
