#include "platform/wide_stream.h"

#include <cstring>

namespace quendix {

namespace {

// Makes at least wanted undecoded bytes available, unless the file ends
// first. Undecoded bytes move to the front of the buffer to make room.
void EnsureBytes(WideInputStream& stream, std::size_t wanted) {
    if (stream.filled - stream.position >= wanted || stream.fileExhausted) {
        return;
    }
    const std::size_t kept = stream.filled - stream.position;
    std::memmove(stream.bytes, stream.bytes + stream.position, kept);
    stream.position = 0;
    stream.filled = kept;
    while (stream.filled < wanted && !stream.fileExhausted) {
        const std::size_t got = std::fread(stream.bytes + stream.filled, 1,
                                           kInputBufferBytes - stream.filled, stream.file);
        stream.filled += got;
        if (got == 0) {
            stream.fileExhausted = true;
            stream.readFailed = std::ferror(stream.file) != 0;
        }
    }
}

bool IsSingleByteEncoding(Encoding encoding) {
    return encoding == Encoding::Utf8 || encoding == Encoding::Windows1252;
}

// Copies the run of plain ASCII characters (other than CR and LF) that
// starts the undecoded bytes: the bulk of most feeds, and the same in both
// single-byte encodings.
std::size_t CopyAsciiRun(WideInputStream& stream, char16_t* line, std::size_t room) {
    const unsigned char* bytes = stream.bytes + stream.position;
    std::size_t available = stream.filled - stream.position;
    const std::size_t limit = available < room ? available : room;
    std::size_t count = 0;
    while (count < limit) {
        const unsigned char byte = bytes[count];
        if (byte >= 0x80 || byte == '\r' || byte == '\n') {
            break;
        }
        line[count] = byte;
        ++count;
    }
    stream.position += count;
    return count;
}

// Decodes the next character, turning CR LF into LF. Returns the bytes it
// used, 0 at the end of input.
std::size_t NextCharacter(WideInputStream& stream, char32_t* character) {
    EnsureBytes(stream, kMaxCharacterBytes);
    const std::size_t available = stream.filled - stream.position;
    if (available == 0) {
        return 0;
    }
    std::size_t used = DecodeCharacter(stream.encoding, stream.bytes + stream.position, available,
                                       stream.fileExhausted, character);
    if (*character != U'\r') {
        return used;
    }
    EnsureBytes(stream, used + kMaxCharacterBytes);
    char32_t following = 0;
    const std::size_t followingUsed =
        DecodeCharacter(stream.encoding, stream.bytes + stream.position + used,
                        stream.filled - stream.position - used, stream.fileExhausted, &following);
    if (followingUsed != 0 && following == U'\n') {
        *character = U'\n';
        used += followingUsed;
    }
    return used;
}

} // namespace

bool OpenInput(WideInputStream& stream, const wchar_t* path, unsigned char* buffer) {
    stream = WideInputStream{};
    stream.bytes = buffer;
    stream.file = OpenWidePath(path, OpenMode::Read);
    return stream.file != nullptr;
}

void ChooseEncoding(WideInputStream& stream) {
    // The encoding is chosen from the first buffer's worth of bytes, which
    // holds any byte-order mark and the XML declaration of a real feed.
    EnsureBytes(stream, kInputBufferBytes);
    const DetectedEncoding detected = DetectEncoding(stream.bytes, stream.filled);
    stream.encoding = detected.encoding;
    stream.position = detected.byteOrderMarkLength;
}

std::size_t ReadLine(WideInputStream& stream, char16_t* line, std::size_t limit) {
    if (limit == 0) {
        return 0;
    }
    const std::size_t capacity = limit - 1;
    std::size_t count = 0;
    const bool singleByte = IsSingleByteEncoding(stream.encoding);
    while (count < capacity) {
        if (singleByte) {
            count += CopyAsciiRun(stream, line + count, capacity - count);
            if (count == capacity) {
                break;
            }
        }
        char32_t character = 0;
        const std::size_t used = NextCharacter(stream, &character);
        if (used == 0) {
            stream.atEnd = true;
            break;
        }
        if (character >= 0x10000) {
            if (capacity - count < 2) {
                break;
            }
            line[count++] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
            line[count++] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
        } else {
            line[count++] = static_cast<char16_t>(character);
        }
        stream.position += used;
        if (character == U'\n') {
            break;
        }
    }
    line[count] = 0;
    return count;
}

void CloseInput(WideInputStream& stream) {
    if (stream.file != nullptr) {
        std::fclose(stream.file);
    }
    stream.file = nullptr;
}

bool OpenOutput(WideOutputStream& stream, const wchar_t* path, char16_t* buffer) {
    stream = WideOutputStream{};
    stream.units = buffer;
    stream.file = OpenWidePath(path, OpenMode::Write);
    if (stream.file == nullptr) {
        return false;
    }
    // The stream's own buffering is off: every byte the library counts as
    // written has been handed to the system, so a failure can be placed.
    std::setvbuf(stream.file, nullptr, _IONBF, 0);
    return true;
}

bool FlushOutput(WideOutputStream& stream) {
    if (stream.failed) {
        return false;
    }
    const std::size_t bytes = stream.pending * sizeof(char16_t);
    const std::size_t written =
        bytes == 0 ? 0 : std::fwrite(stream.units, 1, bytes, stream.file);
    stream.bytesWritten += written;
    stream.pending = 0;
    if (written != bytes) {
        stream.failed = true;
    }
    return !stream.failed;
}

bool WriteUnits(WideOutputStream& stream, const char16_t* text, std::size_t length) {
    while (length > 0 && !stream.failed) {
        const std::size_t room = kOutputBufferUnits - stream.pending;
        const std::size_t take = length < room ? length : room;
        char16_t* target = stream.units + stream.pending;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        for (std::size_t i = 0; i < take; ++i) {
            target[i] = static_cast<char16_t>((text[i] >> 8) | (text[i] << 8));
        }
#else
        std::memcpy(target, text, take * sizeof(char16_t));
#endif
        stream.pending += take;
        text += take;
        length -= take;
        if (stream.pending == kOutputBufferUnits) {
            FlushOutput(stream);
        }
    }
    return !stream.failed;
}

bool CloseOutput(WideOutputStream& stream) {
    if (stream.file == nullptr) {
        return false;
    }
    FlushOutput(stream);
    const bool closed = std::fclose(stream.file) == 0;
    stream.file = nullptr;
    return closed;
}

} // namespace quendix
