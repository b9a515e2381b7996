// Choosing the input's encoding from its first bytes: a byte-order mark,
// else the XML declaration, else UTF-8. It looks at the raw bytes only,
// before anything is decoded.
#include "encoding/detection.h"
#include "encoding/labels.h"

#include <cstring>

namespace quendix {

namespace {

// A declaration must close within the file's first kilobyte; past that a
// '>' belongs to the markup, not to a declaration.
constexpr std::size_t kDeclarationWindow = 1024;

bool IsXmlSpace(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
}

// The bytes of the XML declaration opening the file, from after "<?xml" up
// to its first '>'. False when there is none.
bool FindDeclaration(const unsigned char* bytes, std::size_t size, const unsigned char** from,
                     const unsigned char** to) {
    const unsigned char* const end =
        bytes + (size < kDeclarationWindow ? size : kDeclarationWindow);
    const unsigned char* p = bytes;
    while (p < end && IsXmlSpace(*p)) {
        ++p;
    }
    if (end - p < 6 || std::memcmp(p, "<?xml", 5) != 0 || !IsXmlSpace(p[5])) {
        return false;
    }
    *from = p + 5;
    *to = static_cast<const unsigned char*>(std::memchr(*from, '>', end - *from));
    return *to != nullptr;
}

// The label of the declaration's first "encoding" that follows white
// space: optional white space, '=', optional white space, then a quoted
// label. False when any part is missing.
bool FindDeclaredLabel(const unsigned char* from, const unsigned char* to, const char** label,
                       std::size_t* length) {
    static constexpr char kName[] = "encoding";
    constexpr std::size_t kNameLength = sizeof kName - 1;
    const unsigned char* name = from;
    while (to - name >= static_cast<std::ptrdiff_t>(kNameLength) &&
           (std::memcmp(name, kName, kNameLength) != 0 || !IsXmlSpace(name[-1]))) {
        ++name;
    }
    if (to - name < static_cast<std::ptrdiff_t>(kNameLength)) {
        return false;
    }
    const unsigned char* q = name + kNameLength;
    while (q < to && IsXmlSpace(*q)) {
        ++q;
    }
    if (q == to || *q != '=') {
        return false;
    }
    ++q;
    while (q < to && IsXmlSpace(*q)) {
        ++q;
    }
    if (q == to || (*q != '"' && *q != '\'')) {
        return false;
    }
    const unsigned char* closing =
        static_cast<const unsigned char*>(std::memchr(q + 1, *q, to - q - 1));
    if (closing == nullptr) {
        return false;
    }
    *label = reinterpret_cast<const char*>(q + 1);
    *length = static_cast<std::size_t>(closing - q - 1);
    return true;
}

} // namespace

bool FindDeclaredEncodingLabel(const unsigned char* bytes, std::size_t size, const char** label,
                               std::size_t* length) {
    const unsigned char* from = nullptr;
    const unsigned char* to = nullptr;
    return FindDeclaration(bytes, size, &from, &to) && FindDeclaredLabel(from, to, label, length);
}

DetectedEncoding DetectEncoding(const unsigned char* bytes, std::size_t size) {
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return {Encoding::Utf8, 3, EncodingSource::ByteOrderMark};
    }
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return {Encoding::Utf16LE, 2, EncodingSource::ByteOrderMark};
    }
    if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        return {Encoding::Utf16BE, 2, EncodingSource::ByteOrderMark};
    }
    const char* label = nullptr;
    std::size_t length = 0;
    Encoding declared = Encoding::Utf8;
    if (FindDeclaredEncodingLabel(bytes, size, &label, &length) &&
        FindEncodingByLabel(label, length, &declared) &&
        // Bytes that an ASCII declaration could be read from are not UTF-16.
        declared != Encoding::Utf16LE && declared != Encoding::Utf16BE) {
        return {declared, 0, EncodingSource::Declaration};
    }
    return {Encoding::Utf8, 0, EncodingSource::Default};
}

} // namespace quendix
