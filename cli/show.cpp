// A field's text is printed exactly: every character the record holds can
// be told from the output, and none of them can act on the terminal. In the
// block format a control character (C0 but tab and newline, DEL, C1) and a
// lone surrogate are written as escapes, \x1b or \u0085 or \ud800, and a
// backslash is doubled so that an escape is never mistaken for text. JSON
// writes the same characters with its own \u escapes.
#include "cli/show.h"

#include "cli/arguments.h"
#include "cli/record_file.h"
#include "cli/system.h"
#include "encoding/utf16.h"
#include "quendix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace quendix_cli {

namespace {

using quendix::IsHighSurrogate;
using quendix::IsLowSurrogate;
using quendix::IsSurrogate;

struct FieldLayout {
    const char* label;
    const char* jsonName;
    std::size_t offset; // characters
    std::size_t width;
};

constexpr FieldLayout kFields[] = {
    {"Title:  ", "title", QUENDIX_TITLE_OFFSET, QUENDIX_TITLE_CHARS},
    {"Date:   ", "date", QUENDIX_DATE_OFFSET, QUENDIX_DATE_CHARS},
    {"Summary:", "summary", QUENDIX_SUMMARY_OFFSET, QUENDIX_SUMMARY_CHARS},
    {"Link:   ", "link", QUENDIX_LINK_OFFSET, QUENDIX_LINK_CHARS}};

// The fields are listed in the order they lie in the record, end to end.
static_assert(kFields[0].offset == 0, "the title opens the record");
static_assert(kFields[1].offset == kFields[0].offset + kFields[0].width, "date follows title");
static_assert(kFields[2].offset == kFields[1].offset + kFields[1].width, "summary follows date");
static_assert(kFields[3].offset == kFields[2].offset + kFields[2].width, "link follows summary");
static_assert(kFields[3].offset + kFields[3].width == kRecordChars, "link ends it");

// Control characters, and the bidirectional controls that would reorder
// what the terminal shows after them.
bool IsControl(char32_t value) {
    return value < 0x20 || value == 0x7F || (value >= 0x80 && value <= 0x9F) ||
           (value >= 0x202A && value <= 0x202E) || (value >= 0x2066 && value <= 0x2069) ||
           value == 0x200E || value == 0x200F || value == 0x061C;
}

void AppendEscape(std::string& out, const char* format, char32_t value) {
    char escaped[16];
    std::snprintf(escaped, sizeof escaped, format, static_cast<unsigned>(value));
    out += escaped;
}

// A character for the block format; value may be a lone surrogate.
void AppendForPeople(std::string& out, char32_t value) {
    if (value == U'\\') {
        out += "\\\\";
    } else if (value == U'\t' || value == U'\n') {
        out += static_cast<char>(value);
    } else if (value < 0x80 && IsControl(value)) {
        AppendEscape(out, "\\x%02x", value);
    } else if (IsControl(value) || IsSurrogate(value)) {
        AppendEscape(out, "\\u%04x", value);
    } else {
        AppendUtf8(out, value);
    }
}

// A character inside a JSON string; value may be a lone surrogate.
void AppendForJson(std::string& out, char32_t value) {
    switch (value) {
    case U'"':
        out += "\\\"";
        break;
    case U'\\':
        out += "\\\\";
        break;
    case U'\n':
        out += "\\n";
        break;
    case U'\r':
        out += "\\r";
        break;
    case U'\t':
        out += "\\t";
        break;
    default:
        if (IsControl(value) || IsSurrogate(value)) {
            AppendEscape(out, "\\u%04x", value);
        } else {
            AppendUtf8(out, value);
        }
    }
}

// One field's characters without the spaces that pad it, each passed to
// append: a surrogate pair as one character, a lone surrogate as itself.
template <typename Append>
std::string FieldText(const unsigned char* record, const FieldLayout& field, Append append) {
    auto unit = [&](std::size_t i) -> char32_t {
        const unsigned char* p = record + 2 * (field.offset + i);
        return char32_t{p[0]} | (char32_t{p[1]} << 8);
    };
    std::size_t length = field.width;
    while (length > 0 && unit(length - 1) == U' ') {
        --length;
    }
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        char32_t value = unit(i);
        if (IsHighSurrogate(value) && i + 1 < length && IsLowSurrogate(unit(i + 1))) {
            value = quendix::JoinSurrogates(value, unit(i + 1));
            ++i;
        }
        append(text, value);
    }
    return text;
}

std::string RecordText(const unsigned char* record, std::size_t number, bool asJson) {
    std::string text;
    if (asJson) {
        for (const FieldLayout& field : kFields) {
            text += text.empty() ? "{\"" : ",\"";
            text += std::string(field.jsonName) + "\":\"" +
                    FieldText(record, field, AppendForJson) + "\"";
        }
        return text + "}\n";
    }
    text = (number > 1 ? "\nRecord " : "Record ") + std::to_string(number) + "\n";
    for (const FieldLayout& field : kFields) {
        text += std::string("  ") + field.label + " " + FieldText(record, field, AppendForPeople) +
                "\n";
    }
    return text;
}

int ReadAll(std::FILE* file, const std::string& name, std::string& bytes) {
    char chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    if (std::ferror(file) != 0) {
        std::fprintf(stderr, "quendix: cannot read %s: %s\n", EscapeName(name).c_str(),
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace

int RunShow(const ShowRequest& request) {
    const bool fromStandardInput = request.path == "-";
    const std::string name = fromStandardInput ? "standard input" : request.path;
    if (!fromStandardInput && ExamineFile(request.path).directory) {
        std::fprintf(stderr, "quendix: cannot read %s: %s\n", EscapeName(name).c_str(),
                     std::strerror(EISDIR));
        return 1;
    }
    std::FILE* file = fromStandardInput ? stdin : OpenFile(request.path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "quendix: cannot open %s: %s\n", EscapeName(name).c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::string bytes;
    const int status = ReadAll(file, name, bytes);
    if (!fromStandardInput) {
        std::fclose(file);
    }
    if (status != 0) {
        return status;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::string reason = NotRecordsReason(data, bytes.size(), bytes.size());
    if (!reason.empty()) {
        std::fprintf(stderr, "quendix: %s is not a record file: %s\n", EscapeName(name).c_str(),
                     reason.c_str());
        return 1;
    }
    for (std::size_t i = 0; i < bytes.size() / kRecordBytes; ++i) {
        const std::string text = RecordText(data + i * kRecordBytes, i + 1, request.asJson);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "quendix: standard output: write failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace quendix_cli
