#include "cli/arguments.h"

#include "encoding/utf16.h"
#include "encoding/utf8.h"

#include <cstdio>

namespace quendix_cli {

namespace {

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

using quendix::IsHighSurrogate;
using quendix::IsLowSurrogate;

void AppendWide(std::wstring& wide, char32_t value) {
    if (kWideIsUtf16 && value >= quendix::kFirstPairedCharacter) {
        wide.push_back(static_cast<wchar_t>(quendix::HighSurrogateOf(value)));
        wide.push_back(static_cast<wchar_t>(quendix::LowSurrogateOf(value)));
    } else {
        wide.push_back(static_cast<wchar_t>(value));
    }
}

} // namespace

bool WidenUtf8(const std::string& bytes, std::wstring& wide) {
    wide.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        char32_t value = 0;
        const std::size_t used =
            quendix::DecodeUtf8Strictly(bytes.data() + at, bytes.size() - at, &value);
        if (used == 0) {
            wide.clear();
            return false;
        }
        AppendWide(wide, value);
        at += used;
    }
    return true;
}

bool NarrowToUtf8(const std::wstring& wide, std::string& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t value = static_cast<char32_t>(wide[i]);
        if (kWideIsUtf16) {
            value &= 0xFFFF;
            if (IsHighSurrogate(value) && i + 1 < wide.size() &&
                IsLowSurrogate(static_cast<char32_t>(wide[i + 1]) & 0xFFFF)) {
                const char32_t low = static_cast<char32_t>(wide[++i]) & 0xFFFF;
                value = quendix::JoinSurrogates(value, low);
            }
        }
        char encoded[quendix::kMaxUtf8Bytes];
        const std::size_t length = quendix::EncodeUtf8(value, encoded);
        if (length == 0) {
            bytes.clear();
            return false;
        }
        bytes.append(encoded, length);
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t value) {
    char encoded[quendix::kMaxUtf8Bytes];
    out.append(encoded, quendix::EncodeUtf8(value, encoded));
}

std::string EscapeName(const std::string& name) {
    std::string shown;
    for (std::size_t at = 0; at < name.size();) {
        char32_t value = 0;
        const std::size_t length =
            quendix::DecodeUtf8Strictly(name.data() + at, name.size() - at, &value);
        if (length == 0 || value < 0x20 || value == 0x7F || (value >= 0x80 && value <= 0x9F)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x",
                          static_cast<unsigned>(static_cast<unsigned char>(name[at])));
            shown += escaped;
            at += length == 0 ? 1 : length;
        } else {
            shown.append(name, at, length);
            at += length;
        }
    }
    return shown;
}

} // namespace quendix_cli
