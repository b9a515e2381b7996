// Calls ConvertFile on one feed a given number of times, for counting
// instructions under valgrind --tool=callgrind. Two runs with N and 2N calls
// differ by exactly N calls' worth of work, free of start-up costs.
//
//   quendix_callgrind_driver INPUT OUTPUT CALLS
#include "bench/bench_support.h"
#include "quendix.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: quendix_callgrind_driver INPUT OUTPUT CALLS\n");
        return 2;
    }
    std::setlocale(LC_ALL, "C.UTF-8");
    const std::wstring input = bench_support::Wide(argv[1]);
    const std::wstring output = bench_support::Wide(argv[2]);
    const long calls = std::strtol(argv[3], nullptr, 10);
    int records = 0;
    for (long i = 0; i < calls; ++i) {
        records = ConvertFile(input.c_str(), output.c_str());
    }
    std::printf("%d\n", records);
    return 0;
}
