// One libFuzzer entry point, built once per target: QUENDIX_FUZZ_TARGET
// names the check it runs (see checks.h). Any broken invariant aborts, so
// libFuzzer keeps the input.
#include "fuzz/checks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string failure = quendix_fuzz::RunCheck(QUENDIX_FUZZ_TARGET, bytes);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s: %s\n", QUENDIX_FUZZ_TARGET, failure.c_str());
        std::abort();
    }
    return 0;
}
