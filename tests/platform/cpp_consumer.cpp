// A C++ program using the library through its public header: the
// conversion and every sample export, linked by their decorated names.
// Usage: cpp_consumer INPUT OUTPUT EXPECTED_COUNT (ASCII paths).
#include <quendix.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: cpp_consumer INPUT OUTPUT EXPECTED_COUNT\n");
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    const int expected = std::atoi(argv[3]);
    int failures = 0;
    const int written = ConvertFile(std::wstring(input.begin(), input.end()).c_str(),
                                    std::wstring(output.begin(), output.end()).c_str());
    std::printf("%d\n", written);
    if (written != expected) {
        std::fprintf(stderr, "ConvertFile wrote %d records, expected %d\n", written, expected);
        ++failures;
    }
    CVARNEL first;
    CVARNEL second;
    if (&(first = second) != &first) {
        std::fprintf(stderr, "CVARNEL::operator= returned another object\n");
        ++failures;
    }
    if (fnVARNEL() != 42 || nVARNEL != 0) {
        std::fprintf(stderr, "fnVARNEL() = %d, nVARNEL = %d\n", fnVARNEL(), nVARNEL);
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
