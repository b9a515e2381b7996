#include "bench/io_floor.h"

#include <cstdio>

namespace io_floor {

std::size_t ReadThenWrite(const char* inputPath, const char* outputPath, unsigned char* buffer,
                          std::size_t capacity, const unsigned char* content,
                          std::size_t outputBytes) {
    std::FILE* input = std::fopen(inputPath, "rb");
    if (input == nullptr) {
        return 0;
    }
    const std::size_t read = std::fread(buffer, 1, capacity, input);
    std::fclose(input);
    std::FILE* output = std::fopen(outputPath, "wb");
    if (output == nullptr) {
        return 0;
    }
    const std::size_t written = std::fwrite(content, 1, outputBytes, output);
    const bool closed = std::fclose(output) == 0;
    return written == outputBytes && closed ? read : 0;
}

} // namespace io_floor
