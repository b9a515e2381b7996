#include "cli/record_file.h"

#include "encoding/utf16.h"

namespace quendix_cli {

namespace {

bool IsAsciiSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

// A feed opens with a byte-order mark, or with '<' after white space at
// most. A record file can open with '<' too, but in UTF-16LE: a NUL follows
// it, which no byte-encoded feed has there.
bool BeginsLikeFeed(const unsigned char* head, std::size_t size) {
    if ((size >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) ||
        (size >= 2 &&
         ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))) {
        return true;
    }
    std::size_t at = 0;
    while (at < size && IsAsciiSpace(head[at])) {
        ++at;
    }
    return at < size && head[at] == '<' && (at + 1 == size || head[at + 1] != 0);
}

// Why one record is not one; null when it is. A field cut at its width may
// end in a lone high surrogate, but no text has a low one alone.
const char* RecordFault(const unsigned char* record) {
    bool spaced = false;
    unsigned previous = 0;
    for (std::size_t unit = 0; unit < kRecordChars; ++unit) {
        const unsigned value = record[2 * unit] | (record[2 * unit + 1] << 8);
        const bool low = quendix::IsLowSurrogate(value);
        if (low && !quendix::IsHighSurrogate(previous)) {
            return "it is not UTF-16LE text";
        }
        spaced = spaced || value == 0x20;
        previous = low ? 0 : value;
    }
    return spaced ? nullptr : "it holds no space, as every record does";
}

// Why the records in bytes, the first numbered first, are not all records.
std::string RecordsFault(const unsigned char* bytes, std::size_t size, unsigned long long first) {
    for (std::size_t at = 0; at + kRecordBytes <= size; at += kRecordBytes) {
        if (const char* fault = RecordFault(bytes + at)) {
            return "record " + std::to_string(first + at / kRecordBytes) + ": " + fault;
        }
    }
    return "";
}

} // namespace

std::string NotRecordsReason(const unsigned char* bytes, std::size_t size,
                             unsigned long long fileSize) {
    if (fileSize % kRecordBytes != 0) {
        return "its size, " + std::to_string(fileSize) + " bytes, is not a multiple of " +
               std::to_string(kRecordBytes);
    }
    if (BeginsLikeFeed(bytes, size < 256 ? size : 256)) {
        return "it begins like a feed";
    }
    return RecordsFault(bytes, size, 1);
}

std::string NotRecordFileReason(std::FILE* file, unsigned long long fileSize) {
    if (fileSize % kRecordBytes != 0) {
        return NotRecordsReason(nullptr, 0, fileSize);
    }
    // A few records at a time: the check reads the whole file, and a small
    // chunk keeps the command's peak memory where the conversion leaves it.
    unsigned char chunk[kRecordBytes * 4];
    unsigned long long done = 0;
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        // The first chunk is judged as the file's start, the rest as records.
        const std::string reason = done == 0 ? NotRecordsReason(chunk, got, fileSize)
                                             : RecordsFault(chunk, got, done / kRecordBytes + 1);
        if (!reason.empty()) {
            return reason;
        }
        done += got;
    }
    return "";
}

} // namespace quendix_cli
