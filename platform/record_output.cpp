#include "platform/record_output.h"

#include "platform/wide_path.h"

namespace quendix {

bool OpenOutput(RecordOutput& stream, const wchar_t* path, char16_t* buffer) {
    return AdoptOutput(stream, OpenWidePath(path, OpenMode::Write), buffer);
}

bool AdoptOutput(RecordOutput& stream, std::FILE* file, char16_t* buffer) {
    stream = RecordOutput{};
    stream.units = buffer;
    stream.file = file;
    if (stream.file == nullptr) {
        return false;
    }
    // The stream's own buffering is off: every byte the library counts as
    // written has been handed to the system, so a failure can be placed.
    std::setvbuf(stream.file, nullptr, _IONBF, 0);
    return true;
}

bool FlushOutput(RecordOutput& stream) {
    if (stream.failed) {
        return false;
    }
    const std::size_t bytes = stream.pending * sizeof(char16_t);
    const std::size_t written = bytes == 0 ? 0 : std::fwrite(stream.units, 1, bytes, stream.file);
    stream.bytesWritten += written;
    stream.pending = 0;
    if (written != bytes) {
        stream.failed = true;
    }
    return !stream.failed;
}

char16_t* ReserveUnits(RecordOutput& stream, std::size_t count) {
    if (count > kOutputBufferUnits - stream.pending) {
        FlushOutput(stream);
    }
    return stream.failed ? nullptr : stream.units + stream.pending;
}

void CommitUnits(RecordOutput& stream, std::size_t count) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    char16_t* units = stream.units + stream.pending;
    for (std::size_t i = 0; i < count; ++i) {
        units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
    }
#endif
    stream.pending += count;
}

bool CloseOutput(RecordOutput& stream) {
    if (stream.file == nullptr) {
        return false;
    }
    FlushOutput(stream);
    const bool closed = std::fclose(stream.file) == 0;
    stream.file = nullptr;
    return closed;
}

} // namespace quendix
