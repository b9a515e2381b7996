#include "platform/byte_reader.h"

#include "platform/wide_path.h"

#include <cerrno>
#include <cstring>

namespace quendix {

bool OpenInput(ByteInput& stream, const wchar_t* path, unsigned char* buffer) {
    return AdoptInput(stream, OpenWidePath(path, OpenMode::Read), buffer);
}

bool AdoptInput(ByteInput& stream, std::FILE* file, unsigned char* buffer) {
    stream = ByteInput{};
    stream.bytes = buffer;
    stream.file = file;
    if (stream.file == nullptr) {
        return false;
    }
    if (!IdentifyFile(stream.file, &stream.identity) ||
        stream.identity.kind == FileKind::Directory) {
        CloseInput(stream);
        return false;
    }
    // The bytes go straight into the stream's own buffer; the runtime's
    // buffer would be one more allocation and copy per call.
    std::setvbuf(stream.file, nullptr, _IONBF, 0);
    return true;
}

void EnsureBytes(ByteInput& stream, std::size_t wanted) {
    if (stream.filled - stream.position >= wanted || stream.fileExhausted) {
        return;
    }
    const std::size_t kept = stream.filled - stream.position;
    std::memmove(stream.bytes, stream.bytes + stream.position, kept);
    stream.position = 0;
    stream.filled = kept;
    while (stream.filled < wanted && !stream.fileExhausted) {
        const std::size_t asked = kInputBufferBytes - stream.filled;
        errno = 0;
        const std::size_t got = std::fread(stream.bytes + stream.filled, 1, asked, stream.file);
        stream.filled += got;
        // fread stops short only at the end of the file or on an error, so
        // there is no need to ask again and be told so.
        if (got < asked) {
            stream.fileExhausted = true;
            stream.readFailed = std::ferror(stream.file) != 0;
            stream.readError = stream.readFailed ? (errno != 0 ? errno : EIO) : 0;
        }
    }
}

void CloseInput(ByteInput& stream) {
    if (stream.file != nullptr) {
        std::fclose(stream.file);
    }
    stream.file = nullptr;
}

} // namespace quendix
