/* A C program using the library through its public header. Compiled as
 * strict C, it shows the header gives C callers ConvertFile alone.
 * Usage: c_consumer INPUT OUTPUT EXPECTED_COUNT (ASCII paths). */
#include <quendix.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kMaxPath = 4096 };

static int widen(const char* path, wchar_t* wide) {
    size_t i;
    size_t length = strlen(path);
    if (length >= kMaxPath) {
        return 0;
    }
    for (i = 0; i <= length; ++i) {
        wide[i] = (wchar_t)(unsigned char)path[i];
    }
    return 1;
}

int main(int argc, char** argv) {
    static wchar_t input[kMaxPath];
    static wchar_t output[kMaxPath];
    int expected;
    int written;
    if (argc != 4 || !widen(argv[1], input) || !widen(argv[2], output)) {
        fprintf(stderr, "usage: c_consumer INPUT OUTPUT EXPECTED_COUNT\n");
        return 2;
    }
    expected = atoi(argv[3]);
    written = ConvertFile(input, output);
    printf("%d\n", written);
    if (written != expected) {
        fprintf(stderr, "ConvertFile wrote %d records, expected %d\n", written, expected);
        return 1;
    }
    return 0;
}
