#include "cli/show.h"

#include "cli/arguments.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace quendix_cli {

namespace {

constexpr std::size_t kRecordBytes = 1300;

struct FieldLayout {
    const char* label;
    const char* jsonName;
    std::size_t offset; // characters
    std::size_t width;
};

constexpr FieldLayout kFields[] = {{"Title:  ", "title", 0, 100},
                                   {"Date:   ", "date", 100, 50},
                                   {"Summary:", "summary", 150, 400},
                                   {"Link:   ", "link", 550, 100}};

// Decodes one field's UTF-16LE units to UTF-8, without the spaces that pad
// it to its width.
std::string FieldText(const unsigned char* record, const FieldLayout& field) {
    std::size_t length = field.width;
    auto unit = [&](std::size_t i) -> char32_t {
        const unsigned char* p = record + 2 * (field.offset + i);
        return char32_t{p[0]} | (char32_t{p[1]} << 8);
    };
    while (length > 0 && unit(length - 1) == U' ') {
        --length;
    }
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t value = unit(i);
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < length && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            value = 0xFFFD;
        }
        AppendUtf8(text, value);
    }
    return text;
}

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void PrintRecord(const unsigned char* record, std::size_t number, bool asJson) {
    if (asJson) {
        std::string line = "{";
        for (const FieldLayout& field : kFields) {
            if (line.size() > 1) {
                line += ",";
            }
            line += JsonQuoted(field.jsonName) + ":" + JsonQuoted(FieldText(record, field));
        }
        std::printf("%s}\n", line.c_str());
        return;
    }
    std::printf("%sRecord %zu\n", number > 1 ? "\n" : "", number);
    for (const FieldLayout& field : kFields) {
        std::printf("  %s %s\n", field.label, FieldText(record, field).c_str());
    }
}

} // namespace

int ShowRecords(const std::string& path, bool asJson) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "quendix: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    std::string bytes;
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "quendix: cannot read %s: %s\n", path.c_str(),
                     std::strerror(readError));
        return 1;
    }
    if (bytes.size() % kRecordBytes != 0) {
        std::fprintf(stderr,
                     "quendix: %s is not a record file: its size, %zu bytes, is not a multiple "
                     "of %zu (one record)\n",
                     path.c_str(), bytes.size(), kRecordBytes);
        return 1;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size() / kRecordBytes; ++i) {
        PrintRecord(data + i * kRecordBytes, i + 1, asJson);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace quendix_cli
